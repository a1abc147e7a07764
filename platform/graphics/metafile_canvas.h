// The recording canvas: every drawing call becomes enhanced-metafile records
// of the page it was made for. Coordinates are pixels of the 96 pixels-per-
// inch reference device, and every text record carries the character
// advances measured there, so a page lays out the same wherever it is played
// back (screen, image, printer at any resolution). The canvas ends into its
// metafile with End() or when it is destroyed.
#pragma once

#include "platform/graphics/canvas.h"

#include <QByteArray>
#include <cstdint>
#include <vector>

class QImage;
class TMetafile;

class TMetafileCanvas : public TCanvas {
public:
    // Records onto `metafile`, whose size (Width x Height) is the page.
    explicit TMetafileCanvas(TMetafile& metafile);
    ~TMetafileCanvas() override;
    TMetafileCanvas(const TMetafileCanvas&) = delete;
    TMetafileCanvas& operator=(const TMetafileCanvas&) = delete;

    // Writes header, records and EOF into the metafile. Drawing afterwards
    // is ignored; a second End() does nothing.
    void End();
    bool Ended() const { return ended_; }

    void FillRect(const TRect& rect) override;
    void Rectangle(const TRect& rect) override;
    void Ellipse(const TRect& rect) override;
    void LineTo(int x, int y) override;
    void ExtTextOut(int x, int y, unsigned options, const TRect* clip, const QString& text,
                    const std::vector<int>* advances = nullptr) override;
    TSize TextExtent(const QString& text) override;
    std::vector<int> CharacterAdvances(const QString& text) override;
    int DrawText(const QString& text, TRect& rect, unsigned format) override;
    void IntersectClipRect(const TRect& rect) override;
    void SelectClipRect(const TRect* rect) override;
    std::optional<TRect> ClipRect() const override;
    int SaveDC() override;
    void RestoreDC(int saved) override;
    void StretchDraw(const TRect& dest, const TBitmap& bitmap) override;
    void CopyRect(const TRect& dest, const TBitmap& source, const TRect& sourceRect) override;
    void DrawTransparent(int x, int y, const TBitmap& bitmap, TColor transparent) override;
    using TCanvas::StretchDraw;
    int PixelsPerInchX() const override { return ReferencePixelsPerInch; }
    int PixelsPerInchY() const override { return ReferencePixelsPerInch; }

private:
    // What a graphics object in the file stands for; equal keys share a handle.
    struct TObjectKey {
        enum TKind { okPen, okBrush, okFont } Kind = okPen;
        QByteArray Bytes;
        friend bool operator==(const TObjectKey&, const TObjectKey&) = default;
    };
    // The state the records have put the player's device context in.
    struct TDeviceState {
        std::uint32_t Pen = 0;
        std::uint32_t Brush = 0;
        std::uint32_t Font = 0;
        std::int64_t TextColor = -1;
        std::int64_t BkColor = -1;
        int BkMode = -1;
        std::int64_t TextAlign = -1;
        TPoint Position;
        bool PositionKnown = false;
    };
    // The canvas state SaveDC keeps for RestoreDC.
    struct TSavedCanvas {
        TCanvasState Canvas;
        std::optional<TRect> Clip;
        TDeviceState Device;
    };

    bool Recording() const { return !ended_; }
    void Append(char* record);
    void AppendOwned(const QByteArray& record);
    void AddBounds(const TRect& rect);
    // A shape outlined with the pen and filled with the brush, recorded by
    // `make` from its box.
    template <typename Make> void RecordShape(const TRect& rect, Make make);

    std::uint32_t ObjectFor(const TObjectKey& key);
    void SelectPen();
    void SelectBrush();
    void SelectFont();
    void SelectHandle(std::uint32_t& slot, std::uint32_t handle);
    void DeleteUnused();
    void SetTextColorRecord(TColor color);
    void SetBkColorRecord(TColor color);
    void SetBkModeRecord(int mode);
    void SetTextAlignRecord(unsigned align);
    void RecordBitmap(const TRect& dest, const QImage& image);
    void RecordAlphaBitmap(const TRect& dest, const QImage& image);

    TMetafile& metafile_;
    QByteArray records_;
    std::uint32_t recordCount_ = 0;
    bool ended_ = false;
    bool hasBounds_ = false;
    TRect bounds_;
    std::optional<TRect> clip_;

    // Handle table: slot i holds the object created at index i (0 is never used).
    std::vector<std::optional<TObjectKey>> handles_;
    std::uint32_t highestHandle_ = 0;
    TDeviceState device_;
    std::vector<TSavedCanvas> saved_;
};
