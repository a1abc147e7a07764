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

int TRpController::RecordCount() const {
    if (recordCount_ >= 0)
        return recordCount_;
    int count = -1;
    try {
        count = dataSet_ != nullptr && dataSet_->Active() ? dataSet_->RecordCount() : 0;
    } catch (const Exception&) {
        count = -1;
    }
    // A count that cannot be read counts as one record.
    recordCount_ = count < 0 ? 1 : count;
    return recordCount_;
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
    recordCount_ = -1;
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
        // Progress waits for page 1, which a preview shows at once.
        if ((report.PageCount() > 1 || !hasData) && RecordCount() != 0)
            printer.SetProgress(
                static_cast<int>(static_cast<qint64>(detailNumber_) * 100 / RecordCount()));
    }
    if (footer_ != nullptr) {
        if (report.PageCount() == 0)
            report.NextColumn();
        report.PrintBand(footer_);
    }
}
