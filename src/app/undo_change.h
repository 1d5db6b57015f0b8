#pragma once

// "Отменить последнее изменение" from the desktop: the change named in a question, undone when the pilot says
// yes, and what came of it said.

class QLabel;
class QWidget;

namespace korv::app {

class Program;

// Asks whether to undo the logbook's last change (named with its time) and undoes it; `status` says what the
// undo waits for. True when the logbook was put back.
bool askAndUndoLastChange(Program& program, QLabel* status);

} // namespace korv::app
