// System data fields: the date, the time, the page number and similar
// values of a run, with a prefix text. Outside a run the caption names the
// kind of value, e.g. "(Date/Time)".
#pragma once

#include "report/rp_custom_label.h"

enum TRpSysDataType : int {
    sdTime = 0,
    sdDate = 1,
    sdDateTime = 2,
    sdPageNumber = 3,
    sdReportTitle = 4,
    sdDetailCount = 5,
    sdDetailNo = 6,
};

// The name a design view shows for a kind ("Time", "Date/Time", "Page#" ...).
QString RpSysDataName(TRpSysDataType data);

class TRpSysData : public TRpCustomLabel {
public:
    TRpSysData();

    TRpSysDataType Data() const { return data_; }
    void SetData(TRpSysDataType data);
    const QString& Text() const { return text_; }
    void SetText(const QString& text);

    // After a run the caption names the kind again.
    void Unprepare() override { RebuildCaption(); }

protected:
    // The prefix followed directly by the value at this moment.
    QString PrintText() override;

private:
    void RebuildCaption();
    QString Value() const;

    TRpSysDataType data_ = sdTime;
    QString text_;
};
