#pragma once

// A record of the logbook back in the input form, for its correction: the boxes filled with what the
// record holds, so that "Считать" computes the shift again as it was entered.

#include "flight/input_form.h"
#include "logbook/logbook.h"

#include <QStringList>

namespace korv::flight {

struct RecordForm {
    InputForm form;      // the inputs the record holds; the result boxes empty
    QStringList unknown; // what the record does not hold and the pilot must give again, in the form's words
};

// The input form of a record the program wrote: date, type, day or night, seat, kind of flight and exercise
// number, flights, flight time, altitude, cloud amount, top and base, visibility, take-offs at minimum, system,
// approaches, landings. The hood heights are never held; a seat or a kind the cells do not tell is named in
// `unknown` too.
RecordForm formOfRecord(const logbook::Record& record, const logbook::PairCells& cells);

} // namespace korv::flight
