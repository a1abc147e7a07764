// System data fields at design time: the caption names the kind of value.
#include "report/rp_sys_data.h"

#include "platform/clock.h"
#include "platform/date_time_format.h"
#include "report/rp_report.h"

QString RpSysDataName(TRpSysDataType data) {
    switch (data) {
    case sdTime:
        return QStringLiteral("Time");
    case sdDate:
        return QStringLiteral("Date");
    case sdDateTime:
        return QStringLiteral("Date/Time");
    case sdPageNumber:
        return QStringLiteral("Page#");
    case sdReportTitle:
        return QStringLiteral("Report title");
    case sdDetailCount:
        return QStringLiteral("Detail count");
    case sdDetailNo:
        return QStringLiteral("Detail no");
    }
    return {};
}

TRpSysData::TRpSysData() {
    RebuildCaption();
}

void TRpSysData::SetData(TRpSysDataType data) {
    data_ = data;
    RebuildCaption();
}

void TRpSysData::SetText(const QString& text) {
    text_ = text;
    RebuildCaption();
}

void TRpSysData::RebuildCaption() {
    SetCaption(text_ + QLatin1Char('(') + RpSysDataName(data_) + QLatin1Char(')'));
}

QString TRpSysData::PrintText() {
    return text_ + Value();
}

QString TRpSysData::Value() const {
    const TCustomRpReport* report = Report();
    switch (data_) {
    case sdTime:
        return FormatDateTime(QStringLiteral("t"), Now());
    case sdDate:
        return FormatDateTime(QStringLiteral("c"), Date());
    case sdDateTime:
        return FormatDateTime(QStringLiteral("c"), Now());
    case sdPageNumber:
        return report ? QString::number(report->PageCount()) : QString();
    case sdReportTitle:
        return report ? report->ReportTitle() : QString();
    case sdDetailCount:
        return report ? QString::number(report->DetailCount()) : QString();
    case sdDetailNo:
        return report ? QString::number(report->DetailNumber()) : QString();
    }
    return {};
}
