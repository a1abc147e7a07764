// The report definition: band list order, layout and the values that spread
// from the report to its page, bands and controls.
#include "report/rp_report.h"

#include "platform/messages.h"
#include "report/rp_controller.h"
#include "report/rp_error.h"
#include "report/rp_printable.h"
#include "report/rp_printer.h"

#include <QLocale>
#include <algorithm>

namespace {

// Print order of the band list; child bands follow their parent instead.
int BandRank(TRpBandType type) {
    switch (type) {
    case rbPageHeader:
        return 0;
    case rbTitle:
        return 1;
    case rbColumnHeader:
        return 2;
    case rbGroupHeader:
        return 3;
    case rbDetail:
        return 4;
    case rbSubDetail:
        return 5;
    case rbGroupFooter:
        return 6;
    case rbSummary:
        return 7;
    case rbPageFooter:
        return 8;
    case rbOverlay:
        return 9;
    case rbChild:
        break;
    }
    return 10;
}

QString BandBaseName(TRpBandType type) {
    switch (type) {
    case rbTitle:
        return QStringLiteral("TitleBand");
    case rbPageHeader:
        return QStringLiteral("PageHeaderBand");
    case rbDetail:
        return QStringLiteral("DetailBand");
    case rbPageFooter:
        return QStringLiteral("PageFooterBand");
    case rbSummary:
        return QStringLiteral("SummaryBand");
    case rbGroupHeader:
        return QStringLiteral("GroupHeaderBand");
    case rbGroupFooter:
        return QStringLiteral("GroupFooterBand");
    case rbSubDetail:
        return QStringLiteral("SubDetailBand");
    case rbColumnHeader:
        return QStringLiteral("ColumnHeaderBand");
    case rbOverlay:
        return QStringLiteral("OverlayBand");
    case rbChild:
        break;
    }
    return QStringLiteral("ChildBand");
}

// The report's receiver of the printer object's messages.
class TRpReportMessages : public TMessageHandler<QObject> {
public:
    explicit TRpReportMessages(TCustomRpReport* report) : report_(report) {}
    void WndProc(TMessage& message) override { report_->WndProc(message); }

private:
    TCustomRpReport* report_;
};

} // namespace

// ---- TRpReportBands ------------------------------------------------------

bool TRpReportBands::Has(TRpBandType type) const {
    return report_->FindBand(type) != nullptr;
}

void TRpReportBands::Switch(TRpBandType type, bool on) {
    if (on == Has(type))
        return;
    if (on) {
        auto band = std::make_unique<TRpBand>(type);
        const QString base = BandBaseName(type);
        int n = 1;
        while (report_->FindBandByName(base + QString::number(n)))
            ++n;
        band->SetName(base + QString::number(n));
        report_->AddBand(std::move(band));
        return;
    }
    while (TRpCustomBand* band = report_->FindBand(type))
        report_->RemoveBand(band);
}

bool TRpReportBands::HasTitle() const {
    return Has(rbTitle);
}
void TRpReportBands::SetHasTitle(bool on) {
    Switch(rbTitle, on);
}
bool TRpReportBands::HasPageHeader() const {
    return Has(rbPageHeader);
}
void TRpReportBands::SetHasPageHeader(bool on) {
    Switch(rbPageHeader, on);
}
bool TRpReportBands::HasColumnHeader() const {
    return Has(rbColumnHeader);
}
void TRpReportBands::SetHasColumnHeader(bool on) {
    Switch(rbColumnHeader, on);
}
bool TRpReportBands::HasDetail() const {
    return Has(rbDetail);
}
void TRpReportBands::SetHasDetail(bool on) {
    Switch(rbDetail, on);
}
bool TRpReportBands::HasPageFooter() const {
    return Has(rbPageFooter);
}
void TRpReportBands::SetHasPageFooter(bool on) {
    Switch(rbPageFooter, on);
}
bool TRpReportBands::HasSummary() const {
    return Has(rbSummary);
}
void TRpReportBands::SetHasSummary(bool on) {
    Switch(rbSummary, on);
}

// ---- TCustomRpReport -----------------------------------------------------

TCustomRpReport::TCustomRpReport()
    : bands_(this), units_(RpDefaultUnit()),
      options_(TRpOption::FirstPageHeader | TRpOption::LastPageFooter),
      messageWindow_(std::make_unique<TRpReportMessages>(this)) {
    // Japanese systems keep the framework's own default face, which can
    // show their script.
    if (QLocale::system().language() != QLocale::Japanese) {
        font_.SetName(QStringLiteral("Arial"));
        font_.SetSize(10);
    }
    page_.SetUnits(units_);
    TRpPaperDimensions d{};
    if (const TRpPaperSize paper = RpDefaultPrinterPaper(); RpPaperDimensions(paper, d))
        page_.SetPaperSize(paper);
    page_.SetFontPointsSource([this] { return font_.Size(); });
    page_.OnChange = [this] { PageChanged(); };
    LayoutBands();
}

TCustomRpReport::~TCustomRpReport() {
    printer_.reset();
    // Controls and bands hold raw links to each other; clear them before
    // anything is freed.
    for (const auto& band : bandList_)
        band->SetLinkBand(nullptr);
    printables_.clear();
    bandList_.clear();
}

void TCustomRpReport::PageChanged() {
    LayoutBands();
}

void TCustomRpReport::SetUnits(TRpUnit units) {
    units_ = units;
    page_.SetUnits(units);
    for (const auto& band : bandList_) {
        band->Size().SetUnits(units);
        for (const auto& p : band->Printables())
            p->Size().SetUnits(units);
    }
    for (const auto& p : printables_)
        p->Size().SetUnits(units);
}

void TCustomRpReport::SetFont(const TFont& font) {
    font_ = font;
    for (const auto& band : bandList_)
        band->ParentFontChanged();
    for (const auto& p : printables_)
        p->ParentFontChanged();
}

void TCustomRpReport::SetZoom(int zoom) {
    if (zoom <= 0 || zoom == zoom_)
        return;
    zoom_ = zoom;
    page_.SetZoom(zoom);
    for (const auto& band : bandList_)
        band->Size().SetZoom(zoom);
    for (const auto& p : printables_) {
        p->Size().SetPixelScale(zoom);
        p->UpdateBounds();
    }
    LayoutBands();
}

TRpCustomBand* TCustomRpReport::AddBand(std::unique_ptr<TRpCustomBand> band) {
    if (!band)
        return nullptr;
    TRpCustomBand* raw = band.get();
    // A band in a report's list is owned there, so this pointer is a second
    // owner: let it go before refusing, or the band would be freed twice.
    if (raw->Report()) {
        (void)band.release();
        throw ERpError(QStringLiteral("Band %1 is already in a report").arg(raw->Name()));
    }
    bandList_.push_back(std::move(band));
    raw->AttachTo(this);
    SortBands();
    LayoutBands();
    return raw;
}

void TCustomRpReport::RemoveBand(TRpCustomBand* band) {
    const auto it = std::find_if(bandList_.begin(), bandList_.end(),
                                 [band](const auto& b) { return b.get() == band; });
    if (it == bandList_.end())
        return;
    for (const auto& b : bandList_) {
        if (b->LinkBand() == band)
            b->SetLinkBand(nullptr);
        if (auto* child = dynamic_cast<TRpChildBand*>(b.get());
            child && child->ParentBand() == band)
            child->SetParentBand(nullptr);
    }
    bandList_.erase(it);
    SortBands();
    LayoutBands();
}

TRpCustomBand* TCustomRpReport::FindBand(TRpBandType type) const {
    for (const auto& b : bandList_) {
        if (b->BandType() == type)
            return b.get();
    }
    return nullptr;
}

TRpCustomBand* TCustomRpReport::FindBandByName(const QString& name) const {
    for (const auto& b : bandList_) {
        if (b->Name().compare(name, Qt::CaseInsensitive) == 0)
            return b.get();
    }
    return nullptr;
}

TRpPrintable* TCustomRpReport::AddPrintable(std::unique_ptr<TRpPrintable> printable) {
    if (!printable)
        return nullptr;
    TRpPrintable* p = printable.get();
    printables_.push_back(std::move(printable));
    p->AttachTo(nullptr, this);
    p->Size().SetFontPointsSource([this] { return font_.Size(); });
    p->ParentFontChanged();
    p->UpdateBounds();
    return p;
}

TRpPrintable* TCustomRpReport::FindPrintable(const QString& name) const {
    for (const auto& b : bandList_) {
        if (TRpPrintable* p = b->FindPrintable(name))
            return p;
    }
    for (const auto& p : printables_) {
        if (p->Name().compare(name, Qt::CaseInsensitive) == 0)
            return p.get();
    }
    return nullptr;
}

void TCustomRpReport::SortBands() {
    std::vector<std::unique_ptr<TRpCustomBand>> rest;
    std::vector<std::unique_ptr<TRpCustomBand>> children;
    for (auto& b : bandList_) {
        auto* child = dynamic_cast<TRpChildBand*>(b.get());
        if (child && child->ParentBand())
            children.push_back(std::move(b));
        else
            rest.push_back(std::move(b));
    }
    std::stable_sort(rest.begin(), rest.end(), [](const auto& a, const auto& b) {
        return BandRank(a->BandType()) < BandRank(b->BandType());
    });
    std::vector<std::unique_ptr<TRpCustomBand>> ordered;
    // Each band, then its children (and theirs) in the order they came.
    const auto appendWithChildren = [&](auto&& self, std::unique_ptr<TRpCustomBand> band) -> void {
        TRpCustomBand* parent = band.get();
        ordered.push_back(std::move(band));
        for (auto& c : children) {
            if (c && static_cast<TRpChildBand*>(c.get())->ParentBand() == parent)
                self(self, std::move(c));
        }
    };
    for (auto& b : rest)
        appendWithChildren(appendWithChildren, std::move(b));
    // Children whose parent chain never reaches the list (a cycle) go last.
    for (auto& c : children) {
        if (c)
            ordered.push_back(std::move(c));
    }
    Q_ASSERT_X(ordered.size() == rest.size() + children.size(), "TCustomRpReport::SortBands",
               "a band lost or placed twice");
    bandList_ = std::move(ordered);
}

int TCustomRpReport::PrintableWidthPixels() const {
    const int width = page_.PixelsOf(page_.Stored(TRpPage::iWidth)) -
                      page_.PixelsOf(page_.Stored(TRpPage::iLeftMargin)) -
                      page_.PixelsOf(page_.Stored(TRpPage::iRightMargin));
    return std::max(0, width);
}

int TCustomRpReport::ColumnWidthPixels() const {
    const int columns = std::max(1, page_.Columns());
    const int space = page_.PixelsOf(page_.Stored(TRpPage::iColumnSpace));
    return std::max(0, (PrintableWidthPixels() - space * (columns - 1)) / columns);
}

void TCustomRpReport::LayoutBands() {
    if (loading_)
        return;
    SetPixelBounds(0, 0, page_.PixelsOf(page_.Stored(TRpPage::iWidth)),
                   page_.PixelsOf(page_.Stored(TRpPage::iLength)));
    const int left = page_.PixelsOf(page_.Stored(TRpPage::iLeftMargin));
    int top = page_.PixelsOf(page_.Stored(TRpPage::iTopMargin));
    const int printable = PrintableWidthPixels();
    const int column = ColumnWidthPixels();
    for (const auto& band : bandList_) {
        band->PlaceAt(left, top, RpBandSpansPage(band->BandType()) ? printable : column);
        top += band->Height();
    }
}

void TCustomRpReport::BeginLoad() {
    loading_ = true;
}

void TCustomRpReport::EndLoad() {
    loading_ = false;
    for (const auto& band : bandList_) {
        for (const auto& p : band->Printables())
            p->ApplyPendingBounds();
    }
    for (const auto& p : printables_)
        p->ApplyPendingBounds();
    LayoutBands();
}
