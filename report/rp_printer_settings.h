// What a report asks of the printer: copies, duplex, the page range and the
// paper bin, and which printer (-1: the system's default printer).
#pragma once

enum class TRpBin : int {
    First = 0,
    Upper = First,
    Lower,
    Middle,
    Manual,
    Envelope,
    EnvManual,
    Auto,
    Tractor,
    SmallFormat,
    LargeFormat,
    LargeCapacity,
    Cassette,
    Last = Cassette,
};

class TRpPrinterSettings {
public:
    virtual ~TRpPrinterSettings() = default;

    int Copies() const { return copies_; }
    // Fewer than one copy is never asked for.
    void SetCopies(int copies) { copies_ = copies < 1 ? 1 : copies; }
    bool Duplex() const { return duplex_; }
    void SetDuplex(bool duplex) { duplex_ = duplex; }
    TRpBin OutputBin() const { return outputBin_; }
    void SetOutputBin(TRpBin bin) { outputBin_ = bin; }
    // Index in the printer list; -1 is the default printer.
    int PrinterIndex() const { return printerIndex_; }
    void SetPrinterIndex(int index) { printerIndex_ = index < -1 ? -1 : index; }

private:
    int copies_ = 1;
    bool duplex_ = false;
    TRpBin outputBin_ = TRpBin::Auto;
    int printerIndex_ = -1;
};

class TRpReportPrinterSettings : public TRpPrinterSettings {
public:
    // 0 means no limit; negative values count as 0.
    int FirstPage() const { return firstPage_; }
    void SetFirstPage(int page) { firstPage_ = page < 0 ? 0 : page; }
    int LastPage() const { return lastPage_; }
    void SetLastPage(int page) { lastPage_ = page < 0 ? 0 : page; }

private:
    int firstPage_ = 0;
    int lastPage_ = 0;
};
