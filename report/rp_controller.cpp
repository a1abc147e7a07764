// The data walk of a report run.
#include "report/rp_controller.h"

#include "platform/exceptions.h"
#include "report/rp_band.h"
#include "report/rp_printer.h"
#include "report/rp_report.h"
#include "store/data_set.h"

#include <QCoreApplication>

TRpController::TRpController(TDataSet* dataSet, TRpCustomBand* header, TRpCustomBand* detail,
                             TRpCustomBand* footer)
    : dataSet_(dataSet), header_(header), detail_(detail), footer_(footer) {}

void TRpController::ReadRecordCount() {
    try {
        recordCount_ = dataSet_->RecordCount();
    } catch (const Exception&) {
        recordCount_ = -1;
    }
    // A count that cannot be read counts as one record.
    if (recordCount_ < 0)
        recordCount_ = 1;
}

void TRpController::PrintEmpty(TCustomRpReport& report) {
    report.PrintBand(header_);
    report.PrintBand(detail_);
    report.PrintBand(footer_);
}

void TRpController::Walk(TCustomRpReport& report) {
    detailNumber_ = 0;
    if (dataSet_ == nullptr || !dataSet_->Active()) {
        if (report.PrintIfEmpty())
            PrintEmpty(report);
        return;
    }
    dataSet_->First();
    bool hasData = !dataSet_->Eof();
    ReadRecordCount();
    if (!hasData) {
        if (report.PrintIfEmpty())
            PrintEmpty(report);
        return;
    }

    QCoreApplication::processEvents();
    if (report.Cancelled())
        return;
    report.PrintBand(header_);
    // Later pages get their column header from the page break.
    TRpCustomBand* columnHeader = report.FindBand(rbColumnHeader);
    if (report.PageCount() <= 1 && columnHeader != nullptr && columnHeader->Enabled())
        report.PrintBand(columnHeader);

    TRpPrinter& printer = *report.Printer();
    while (hasData) {
        QCoreApplication::processEvents();
        if (printer.Cancelled())
            return;
        ++detailNumber_;
        report.PrintBand(detail_);
        dataSet_->Next();
        hasData = !dataSet_->Eof();
        if (recordCount_ != 0)
            printer.SetProgress(
                static_cast<int>(static_cast<qint64>(detailNumber_) * 100 / recordCount_));
    }
    if (footer_ != nullptr) {
        if (report.PageCount() == 0)
            report.NextColumn();
        report.PrintBand(footer_);
    }
}
