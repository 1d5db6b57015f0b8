// One press of "Считать" with the reference tables read from FlightTables1.mdb, the database opened
// anew for every lookup. The worst case goes through the clouds with the hood used: three lookups
// (below-cloud, in-cloud, below the mean hood height).
#include "flight/shift_calculation.h"

#include <QCoreApplication>
#include <QDir>

#include <benchmark/benchmark.h>

using namespace korv;
using namespace korv::flight;

namespace {

QString databasePath() { return QDir(QStringLiteral(KORV_BIN_DIR)).filePath(QStringLiteral("FlightTables1.mdb")); }

void fill(InputForm& f, bool hood) {
    f.cboTyp = QStringLiteral("Л-39");
    f.txtTpolChas = QStringLiteral("1");
    f.txtTpolMin = QStringLiteral("25");
    f.txtBal = QStringLiteral("8");
    f.txtHn = QStringLiteral("650");
    f.txtHv = QStringLiteral("1700");
    f.txtVidKm = QStringLiteral("3");
    f.txtHpol = QStringLiteral("3000");
    f.txtPol = QStringLiteral("2");
    f.txtUpr = QStringLiteral("5");
    f.txtDate = QStringLiteral("24.09.04");
    f.optDSMU = f.optForward = f.optPrivate = true;
    if (hood) {
        f.txtShtorkaZ = QStringLiteral("150");
        f.txtShtorkaO = QStringLiteral("2500");
    }
}

void calculate(benchmark::State& state, bool hood) {
    ReferenceDatabase db(databasePath());
    ShiftSession session(db);
    fill(session.form, hood);
    session.RefreshInputState();
    Notices said;
    for (auto _ : state) {
        said = session.cmdOK_Click();
        benchmark::DoNotOptimize(session.form.txtSMU.text);
    }
    if (!said.isEmpty())
        state.SkipWithError(said.front().text.toStdString().c_str());
}

void BM_CalculateThroughCloudsWithHood(benchmark::State& state) { calculate(state, true); }
void BM_CalculateThroughClouds(benchmark::State& state) { calculate(state, false); }

// The lookups alone, for comparison with the cost of opening the database.
void BM_ReadInCloudTable(benchmark::State& state) {
    ReferenceDatabase db(databasePath());
    for (auto _ : state)
        benchmark::DoNotOptimize(db.table(QStringLiteral("Z_Time_Obl_L39")));
}

} // namespace

BENCHMARK(BM_CalculateThroughCloudsWithHood)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_CalculateThroughClouds)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_ReadInCloudTable)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
