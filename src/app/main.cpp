#include "app/startup.h"

int main(int argc, char** argv) { return korv::app::runKorvelanta(argc, argv); }
