// The page image of the preview: one page of a report printer object drawn
// as a sheet of paper, white, framed in black with a two-pixel shadow to the
// right and below. The image does not scale itself; the view gives it its
// size for the zoom and the image stretches the page over it.
#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>

class TMetafile;
class TRpPrinter;

class TRpPreviewImage : public QWidget {
public:
    explicit TRpPreviewImage(QWidget* parent = nullptr);
    ~TRpPreviewImage() override;

    int PageNumber() const { return pageNumber_; }
    int Zoom() const { return zoom_; }
    void SetZoom(int zoom) { zoom_ = zoom; }
    TRpPrinter* Printer() const;
    void SetPrinter(TRpPrinter* printer);
    // Whether the printer object gave a page for the page number.
    bool PageLoaded() const { return metafile_ != nullptr; }
    const TMetafile* Metafile() const { return metafile_.get(); }

    // Makes n the page number and asks the printer object for that page
    // (none when it is not complete yet), then paints at once.
    void LoadPage(int n);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int pageNumber_ = 1;
    int zoom_ = 100;
    QPointer<TRpPrinter> printer_;
    std::unique_ptr<TMetafile> metafile_;
};
