// The data walker of a report run: the data set that drives the detail
// band, the bands printed before the first record (title) and after the
// last (summary), the running detail number and the record count that
// progress is measured against.
#pragma once

class TCustomRpReport;
class TDataSet;
class TRpCustomBand;

class TRpController {
public:
    TRpController(TDataSet* dataSet, TRpCustomBand* header, TRpCustomBand* detail,
                  TRpCustomBand* footer);

    // Walks the data set from its first record to its end, printing the
    // detail band once per record (or once for an empty data set when the
    // report prints empty listings). Pending messages are handled before
    // each record, so a preview or a progress window can cancel; the data
    // set is left where the walk ended.
    void Walk(TCustomRpReport& report);

    int DetailNumber() const { return detailNumber_; }
    // Read from the data set when first asked for (1 when it cannot be
    // read): counting a large table takes longer than making a page, so
    // the walk asks only once page 1 is complete.
    int RecordCount() const;

private:
    void PrintEmpty(TCustomRpReport& report);

    TDataSet* dataSet_;
    TRpCustomBand* header_;
    TRpCustomBand* detail_;
    TRpCustomBand* footer_;
    int detailNumber_ = 0;
    mutable int recordCount_ = -1;
};
