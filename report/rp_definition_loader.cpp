// The JSON reader of report definitions. Each object is checked against the
// properties its class publishes before anything is applied, and values are
// applied in a fixed order (font before ParentFont and FontSize, name before
// field) whatever order the file lists them in. The report is built in
// loading mode, so no sizing or layout runs on half-read values; EndLoad
// lays it out once everything is in.
#include "report/rp_definition_loader.h"

#include "report/rp_band.h"
#include "report/rp_db_text.h"
#include "report/rp_label.h"
#include "report/rp_report.h"
#include "report/rp_sys_data.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QSet>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

template <typename E> struct Named {
    const char* Name;
    E Value;
};

constexpr Named<TRpBandType> bandTypes[] = {
    {"rbTitle", rbTitle},
    {"rbPageHeader", rbPageHeader},
    {"rbDetail", rbDetail},
    {"rbPageFooter", rbPageFooter},
    {"rbSummary", rbSummary},
    {"rbGroupHeader", rbGroupHeader},
    {"rbGroupFooter", rbGroupFooter},
    {"rbSubDetail", rbSubDetail},
    {"rbColumnHeader", rbColumnHeader},
    {"rbOverlay", rbOverlay},
    {"rbChild", rbChild},
};

constexpr Named<TAlignment> alignments[] = {
    {"taLeftJustify", taLeftJustify},
    {"taRightJustify", taRightJustify},
    {"taCenter", taCenter},
};

constexpr Named<TRpSysDataType> sysDataTypes[] = {
    {"sdTime", sdTime},
    {"sdDate", sdDate},
    {"sdDateTime", sdDateTime},
    {"sdPageNumber", sdPageNumber},
    {"sdReportTitle", sdReportTitle},
    {"sdDetailCount", sdDetailCount},
    {"sdDetailNo", sdDetailNo},
};

constexpr Named<TRpPaperSize> paperSizes[] = {
    {"Default", TRpPaperSize::Default},
    {"Letter", TRpPaperSize::Letter},
    {"LetterSmall", TRpPaperSize::LetterSmall},
    {"Tabloid", TRpPaperSize::Tabloid},
    {"Ledger", TRpPaperSize::Ledger},
    {"Legal", TRpPaperSize::Legal},
    {"Statement", TRpPaperSize::Statement},
    {"Executive", TRpPaperSize::Executive},
    {"A3", TRpPaperSize::A3},
    {"A4", TRpPaperSize::A4},
    {"A4Small", TRpPaperSize::A4Small},
    {"A5", TRpPaperSize::A5},
    {"B4", TRpPaperSize::B4},
    {"B5", TRpPaperSize::B5},
    {"Folio", TRpPaperSize::Folio},
    {"Quarto", TRpPaperSize::Quarto},
    {"rp10X14", TRpPaperSize::rp10X14},
    {"rp11X17", TRpPaperSize::rp11X17},
    {"Note", TRpPaperSize::Note},
    {"Env9", TRpPaperSize::Env9},
    {"Env10", TRpPaperSize::Env10},
    {"Env11", TRpPaperSize::Env11},
    {"Env12", TRpPaperSize::Env12},
    {"Env14", TRpPaperSize::Env14},
    {"CSheet", TRpPaperSize::CSheet},
    {"DSheet", TRpPaperSize::DSheet},
    {"ESheet", TRpPaperSize::ESheet},
    {"Custom", TRpPaperSize::Custom},
};

constexpr Named<TPrinterOrientation> orientations[] = {
    {"poPortrait", poPortrait},
    {"poLandscape", poLandscape},
};

constexpr Named<TRpBin> bins[] = {
    {"First", TRpBin::First},
    {"Upper", TRpBin::Upper},
    {"Lower", TRpBin::Lower},
    {"Middle", TRpBin::Middle},
    {"Manual", TRpBin::Manual},
    {"Envelope", TRpBin::Envelope},
    {"EnvManual", TRpBin::EnvManual},
    {"Auto", TRpBin::Auto},
    {"Tractor", TRpBin::Tractor},
    {"SmallFormat", TRpBin::SmallFormat},
    {"LargeFormat", TRpBin::LargeFormat},
    {"LargeCapacity", TRpBin::LargeCapacity},
    {"Cassette", TRpBin::Cassette},
    {"Last", TRpBin::Last},
};

constexpr Named<TRpUnit> units[] = {
    {"MM", TRpUnit::MM},         {"Inches", TRpUnit::Inches},
    {"Pixels", TRpUnit::Pixels}, {"Characters", TRpUnit::Characters},
    {"Native", TRpUnit::Native},
};

constexpr Named<TRpOption> options[] = {
    {"FirstPageHeader", TRpOption::FirstPageHeader},
    {"LastPageFooter", TRpOption::LastPageFooter},
    {"Compression", TRpOption::Compression},
};

constexpr Named<TFontStyle> fontStyles[] = {
    {"fsBold", fsBold},
    {"fsItalic", fsItalic},
    {"fsUnderline", fsUnderline},
    {"fsStrikeOut", fsStrikeOut},
};

constexpr Named<TPenStyle> penStyles[] = {
    {"psSolid", psSolid},
    {"psDash", psDash},
    {"psDot", psDot},
    {"psDashDot", psDashDot},
    {"psDashDotDot", psDashDotDot},
    {"psClear", psClear},
    {"psInsideFrame", psInsideFrame},
};

constexpr Named<int> charsets[] = {
    {"ANSI_CHARSET", ANSI_CHARSET},
    {"DEFAULT_CHARSET", DEFAULT_CHARSET},
};

constexpr Named<TColor> colors[] = {
    {"clBlack", clBlack},
    {"clMaroon", clMaroon},
    {"clGreen", clGreen},
    {"clOlive", clOlive},
    {"clNavy", clNavy},
    {"clPurple", clPurple},
    {"clTeal", clTeal},
    {"clGray", clGray},
    {"clSilver", clSilver},
    {"clRed", clRed},
    {"clLime", clLime},
    {"clYellow", clYellow},
    {"clBlue", clBlue},
    {"clFuchsia", clFuchsia},
    {"clAqua", clAqua},
    {"clWhite", clWhite},
    {"clNone", clNone},
    {"clWindowText", clWindowText},
    {"clWindow", clWindow},
    {"clBtnFace", clBtnFace},
    {"clBtnShadow", clBtnShadow},
    {"clBtnHighlight", clBtnHighlight},
    {"clBtnText", clBtnText},
    {"clHighlight", clHighlight},
    {"clHighlightText", clHighlightText},
    {"clGrayText", clGrayText},
};

// Walks one definition, keeping the path of the value being read for
// messages ("Bands[1].Controls[0].Size.Values").
class Reader {
public:
    Reader(QString source, const QHash<QString, TDataSet*>& dataSets)
        : source_(std::move(source)), dataSets_(dataSets) {}

    [[noreturn]] void Fail(const QString& path, const QString& problem) const {
        const QString where = path.isEmpty() ? QString() : path + QStringLiteral(": ");
        throw ERpDefinitionError(QStringLiteral("Definição de relatório \"%1\" inválida: %2%3")
                                     .arg(source_, where, problem));
    }

    QJsonObject Object(const QJsonValue& v, const QString& path) const {
        if (!v.isObject())
            Fail(path, QStringLiteral("esperado um objeto"));
        return v.toObject();
    }

    QJsonArray Array(const QJsonValue& v, const QString& path) const {
        if (!v.isArray())
            Fail(path, QStringLiteral("esperada uma lista"));
        return v.toArray();
    }

    // Only the listed properties are allowed.
    void CheckKeys(const QJsonObject& o, const QString& path,
                   std::initializer_list<const char*> allowed) const {
        QSet<QString> known;
        for (const char* k : allowed)
            known.insert(QString::fromLatin1(k));
        for (auto it = o.begin(); it != o.end(); ++it) {
            if (!known.contains(it.key()))
                Fail(Join(path, it.key()), QStringLiteral("propriedade desconhecida"));
        }
    }

    static QString Join(const QString& path, const QString& key) {
        return path.isEmpty() ? key : path + QLatin1Char('.') + key;
    }
    static QString Index(const QString& path, qsizetype i) {
        return QStringLiteral("%1[%2]").arg(path).arg(i);
    }

    bool Bool(const QJsonValue& v, const QString& path) const {
        if (!v.isBool())
            Fail(path, QStringLiteral("esperado true ou false"));
        return v.toBool();
    }

    int Int(const QJsonValue& v, const QString& path) const {
        const double d = v.toDouble();
        if (!v.isDouble() || std::floor(d) != d || d < -2147483648.0 || d > 2147483647.0)
            Fail(path, QStringLiteral("esperado um número inteiro"));
        return static_cast<int>(d);
    }

    QString String(const QJsonValue& v, const QString& path) const {
        if (!v.isString())
            Fail(path, QStringLiteral("esperado um texto"));
        return v.toString();
    }

    template <typename E, std::size_t N>
    E Enum(const QJsonValue& v, const QString& path, const Named<E> (&table)[N]) const {
        const QString name = String(v, path);
        for (const Named<E>& n : table) {
            if (name == QLatin1String(n.Name))
                return n.Value;
        }
        Fail(path, QStringLiteral("valor desconhecido \"%1\"").arg(name));
    }

    TColor Color(const QJsonValue& v, const QString& path) const {
        if (v.isDouble())
            return static_cast<TColor>(
                static_cast<std::uint32_t>(static_cast<std::int64_t>(Int64(v, path)) & 0xFFFFFFFF));
        return Enum(v, path, colors);
    }

    std::int64_t Int64(const QJsonValue& v, const QString& path) const {
        const double d = v.toDouble();
        if (!v.isDouble() || std::floor(d) != d || d < -2147483648.0 || d > 4294967295.0)
            Fail(path, QStringLiteral("esperada uma cor"));
        return static_cast<std::int64_t>(d);
    }

    // A stored size record: exactly `count` finite numbers.
    std::vector<long double> Values(const QJsonValue& v, const QString& path,
                                    std::size_t count) const {
        const QJsonArray a = Array(v, path);
        if (static_cast<std::size_t>(a.size()) != count)
            Fail(path,
                 QStringLiteral("esperados %1 números, encontrados %2").arg(count).arg(a.size()));
        std::vector<long double> values;
        for (qsizetype i = 0; i < a.size(); ++i) {
            if (!a.at(i).isDouble() || !std::isfinite(a.at(i).toDouble()))
                Fail(Index(path, i), QStringLiteral("esperado um número"));
            values.push_back(static_cast<long double>(a.at(i).toDouble()));
        }
        return values;
    }

    TFont Font(const QJsonValue& v, const QString& path) const {
        const QJsonObject o = Object(v, path);
        CheckKeys(o, path, {"Name", "Height", "Style", "Color", "Charset"});
        TFont f;
        if (o.contains(QLatin1String("Name")))
            f.SetName(String(o.value(QLatin1String("Name")), Join(path, QStringLiteral("Name"))));
        if (o.contains(QLatin1String("Height"))) {
            const QString p = Join(path, QStringLiteral("Height"));
            const int h = Int(o.value(QLatin1String("Height")), p);
            if (h == 0 || h < -1000 || h > 1000)
                Fail(p, QStringLiteral("altura de fonte fora dos limites"));
            f.SetHeight(h);
        }
        if (o.contains(QLatin1String("Style"))) {
            const QString p = Join(path, QStringLiteral("Style"));
            const QJsonArray a = Array(o.value(QLatin1String("Style")), p);
            TFontStyles style = 0;
            for (qsizetype i = 0; i < a.size(); ++i)
                style |= Enum(a.at(i), Index(p, i), fontStyles);
            f.SetStyle(style);
        }
        if (o.contains(QLatin1String("Color")))
            f.SetColor(Color(o.value(QLatin1String("Color")), Join(path, QStringLiteral("Color"))));
        if (o.contains(QLatin1String("Charset"))) {
            const QJsonValue c = o.value(QLatin1String("Charset"));
            const QString p = Join(path, QStringLiteral("Charset"));
            f.SetCharset(c.isDouble() ? Int(c, p) : Enum(c, p, charsets));
        }
        return f;
    }

    void Frame(const QJsonValue& v, const QString& path, TRpFrame& frame) const {
        const QJsonObject o = Object(v, path);
        CheckKeys(o, path,
                  {"Color", "DrawTop", "DrawBottom", "DrawLeft", "DrawRight", "Style", "Width"});
        const auto key = [&](const char* k) { return Join(path, QLatin1String(k)); };
        if (o.contains(QLatin1String("Color")))
            frame.SetColor(Color(o.value(QLatin1String("Color")), key("Color")));
        if (o.contains(QLatin1String("DrawTop")))
            frame.SetDrawTop(Bool(o.value(QLatin1String("DrawTop")), key("DrawTop")));
        if (o.contains(QLatin1String("DrawBottom")))
            frame.SetDrawBottom(Bool(o.value(QLatin1String("DrawBottom")), key("DrawBottom")));
        if (o.contains(QLatin1String("DrawLeft")))
            frame.SetDrawLeft(Bool(o.value(QLatin1String("DrawLeft")), key("DrawLeft")));
        if (o.contains(QLatin1String("DrawRight")))
            frame.SetDrawRight(Bool(o.value(QLatin1String("DrawRight")), key("DrawRight")));
        if (o.contains(QLatin1String("Style")))
            frame.SetStyle(Enum(o.value(QLatin1String("Style")), key("Style"), penStyles));
        if (o.contains(QLatin1String("Width")))
            frame.SetWidth(Int(o.value(QLatin1String("Width")), key("Width")));
    }

    TDataSet* DataSet(const QJsonValue& v, const QString& path) const {
        const QString name = String(v, path);
        const auto it = dataSets_.constFind(name);
        if (it == dataSets_.constEnd())
            Fail(path, QStringLiteral("conjunto de dados desconhecido \"%1\"").arg(name));
        return *it;
    }

    std::unique_ptr<TRpReport> Report(const QJsonValue& root);

private:
    void Page(const QJsonValue& v, const QString& path, TRpPage& page) const;
    void PrinterSettings(const QJsonValue& v, const QString& path,
                         TRpReportPrinterSettings& s) const;
    void Functions(const QJsonValue& v, const QString& path, TRpEvEnvironment& f) const;
    void Band(const QJsonValue& v, const QString& path, TRpReport& report) const;
    void Control(const QJsonValue& v, const QString& path, TRpCustomBand& band) const;

    QString source_;
    const QHash<QString, TDataSet*>& dataSets_;
};

void Reader::Page(const QJsonValue& v, const QString& path, TRpPage& page) const {
    const QJsonObject o = Object(v, path);
    CheckKeys(o, path, {"PaperSize", "Orientation", "Columns", "Ruler", "Values"});
    const auto key = [&](const char* k) { return Join(path, QLatin1String(k)); };
    TRpPaperSize size = page.PaperSize();
    TPrinterOrientation orientation = page.Orientation();
    if (o.contains(QLatin1String("PaperSize")))
        size = Enum(o.value(QLatin1String("PaperSize")), key("PaperSize"), paperSizes);
    if (o.contains(QLatin1String("Orientation")))
        orientation = Enum(o.value(QLatin1String("Orientation")), key("Orientation"), orientations);
    if (o.contains(QLatin1String("Values"))) {
        // The stored record carries the extent; the table is not re-applied.
        page.LoadPaper(size, orientation);
        page.SetValues(Values(o.value(QLatin1String("Values")), key("Values"), TRpPage::Count));
    } else {
        page.SetOrientation(orientation);
        page.SetPaperSize(size);
    }
    if (o.contains(QLatin1String("Columns"))) {
        const int columns = Int(o.value(QLatin1String("Columns")), key("Columns"));
        if (columns < 1)
            Fail(key("Columns"), QStringLiteral("o número de colunas deve ser ao menos 1"));
        page.SetColumns(columns);
    }
    if (o.contains(QLatin1String("Ruler")))
        page.SetRuler(Bool(o.value(QLatin1String("Ruler")), key("Ruler")));
    const long double width = page.Stored(TRpPage::iWidth);
    const long double length = page.Stored(TRpPage::iLength);
    if (width <= 0 || length <= 0)
        Fail(key("Values"), QStringLiteral("largura e comprimento do papel devem ser positivos"));
    for (long double m : page.Values()) {
        if (m < 0)
            Fail(key("Values"),
                 QStringLiteral("margens e espaço entre colunas não podem ser negativos"));
    }
}

void Reader::PrinterSettings(const QJsonValue& v, const QString& path,
                             TRpReportPrinterSettings& s) const {
    const QJsonObject o = Object(v, path);
    CheckKeys(o, path, {"Copies", "Duplex", "FirstPage", "LastPage", "OutputBin", "PrinterIndex"});
    const auto key = [&](const char* k) { return Join(path, QLatin1String(k)); };
    if (o.contains(QLatin1String("Copies")))
        s.SetCopies(Int(o.value(QLatin1String("Copies")), key("Copies")));
    if (o.contains(QLatin1String("Duplex")))
        s.SetDuplex(Bool(o.value(QLatin1String("Duplex")), key("Duplex")));
    if (o.contains(QLatin1String("FirstPage")))
        s.SetFirstPage(Int(o.value(QLatin1String("FirstPage")), key("FirstPage")));
    if (o.contains(QLatin1String("LastPage")))
        s.SetLastPage(Int(o.value(QLatin1String("LastPage")), key("LastPage")));
    if (o.contains(QLatin1String("OutputBin")))
        s.SetOutputBin(Enum(o.value(QLatin1String("OutputBin")), key("OutputBin"), bins));
    if (o.contains(QLatin1String("PrinterIndex")))
        s.SetPrinterIndex(Int(o.value(QLatin1String("PrinterIndex")), key("PrinterIndex")));
}

void Reader::Functions(const QJsonValue& v, const QString& path, TRpEvEnvironment& f) const {
    const QJsonObject o = Object(v, path);
    CheckKeys(o, path, {"Strings", "DATA"});
    const QString namesPath = Join(path, QStringLiteral("Strings"));
    const QString dataPath = Join(path, QStringLiteral("DATA"));
    const QJsonArray names = Array(o.value(QLatin1String("Strings")), namesPath);
    const QJsonArray data = Array(o.value(QLatin1String("DATA")), dataPath);
    if (names.size() != data.size())
        Fail(path, QStringLiteral("%1 nomes de função para %2 expressões")
                       .arg(names.size())
                       .arg(data.size()));
    f.Clear();
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QString name = String(names.at(i), Index(namesPath, i));
        if (name.trimmed().isEmpty())
            Fail(Index(namesPath, i), QStringLiteral("nome de função vazio"));
        f.Add(name, String(data.at(i), Index(dataPath, i)));
    }
    // Generation relies on the three standard functions being there.
    f.AddDefaults();
}

void Reader::Control(const QJsonValue& v, const QString& path, TRpCustomBand& band) const {
    const QJsonObject o = Object(v, path);
    const QString cls =
        String(o.value(QLatin1String("Class")), Join(path, QStringLiteral("Class")));
    std::unique_ptr<TRpCustomLabel> control;
    if (cls == QLatin1String("TRpLabel")) {
        CheckKeys(o, path, {"Class",       "Name",     "Left",        "Top",      "Width",
                            "Height",      "Enabled",  "Frame",       "Size",     "Alignment",
                            "AlignToBand", "AutoSize", "AutoStretch", "WordWrap", "Color",
                            "Transparent", "Font",     "ParentFont",  "FontSize", "Caption"});
        control = std::make_unique<TRpLabel>();
    } else if (cls == QLatin1String("TRpDBText")) {
        CheckKeys(o, path, {"Class",       "Name",     "Left",        "Top",      "Width",
                            "Height",      "Enabled",  "Frame",       "Size",     "Alignment",
                            "AlignToBand", "AutoSize", "AutoStretch", "WordWrap", "Color",
                            "Transparent", "Font",     "ParentFont",  "FontSize", "DataSet",
                            "DataField",   "Mask"});
        control = std::make_unique<TRpDBText>();
    } else if (cls == QLatin1String("TRpSysData")) {
        // AutoStretch is not published by system data fields.
        CheckKeys(o, path, {"Class",       "Name",       "Left",     "Top",   "Width",
                            "Height",      "Enabled",    "Frame",    "Size",  "Alignment",
                            "AlignToBand", "AutoSize",   "WordWrap", "Color", "Transparent",
                            "Font",        "ParentFont", "FontSize", "Data",  "Text"});
        control = std::make_unique<TRpSysData>();
    } else {
        Fail(Join(path, QStringLiteral("Class")),
             QStringLiteral("classe de controle desconhecida \"%1\"").arg(cls));
    }
    const auto key = [&](const char* k) { return Join(path, QLatin1String(k)); };
    const auto has = [&](const char* k) { return o.contains(QLatin1String(k)); };
    const auto val = [&](const char* k) { return o.value(QLatin1String(k)); };

    const QString name = String(val("Name"), key("Name"));
    if (name.isEmpty())
        Fail(key("Name"), QStringLiteral("nome vazio"));
    if (TCustomRpReport* report = band.Report(); report && report->FindPrintable(name))
        Fail(key("Name"), QStringLiteral("nome repetido \"%1\"").arg(name));
    TRpCustomLabel* c = static_cast<TRpCustomLabel*>(band.AddPrintable(std::move(control)));
    c->SetName(name);

    if (has("Size"))
        c->Size().SetValues(Values(Object(val("Size"), key("Size")).value(QLatin1String("Values")),
                                   key("Size") + QStringLiteral(".Values"),
                                   TRpPrintableSize::Count));
    if (has("Size"))
        CheckKeys(val("Size").toObject(), key("Size"), {"Values"});
    if (has("Left") || has("Top") || has("Width") || has("Height")) {
        const auto px = [&](const char* k) { return has(k) ? Int(val(k), key(k)) : 0; };
        c->SetBounds(px("Left"), px("Top"), px("Width"), px("Height"));
    }
    if (has("Enabled"))
        c->SetEnabled(Bool(val("Enabled"), key("Enabled")));
    if (has("Frame"))
        Frame(val("Frame"), key("Frame"), c->Frame());
    if (has("Alignment"))
        c->SetAlignment(Enum(val("Alignment"), key("Alignment"), alignments));
    if (has("AlignToBand"))
        c->SetAlignToBand(Bool(val("AlignToBand"), key("AlignToBand")));
    if (has("AutoSize"))
        c->SetAutoSize(Bool(val("AutoSize"), key("AutoSize")));
    if (has("AutoStretch"))
        c->SetAutoStretch(Bool(val("AutoStretch"), key("AutoStretch")));
    if (has("WordWrap"))
        c->SetWordWrap(Bool(val("WordWrap"), key("WordWrap")));
    if (has("Color"))
        c->SetColor(Color(val("Color"), key("Color")));
    if (has("Transparent"))
        c->SetTransparent(Bool(val("Transparent"), key("Transparent")));
    if (has("Font"))
        c->SetFont(Font(val("Font"), key("Font")));
    const bool parentFont =
        has("ParentFont") ? Bool(val("ParentFont"), key("ParentFont")) : !has("Font");
    c->SetParentFont(parentFont);
    if (has("FontSize")) {
        const int size = Int(val("FontSize"), key("FontSize"));
        if (size < 0 || size > 1000)
            Fail(key("FontSize"), QStringLiteral("tamanho de fonte fora dos limites"));
        c->SetFontSize(size);
    }
    c->ApplyFontSize();

    if (auto* label = dynamic_cast<TRpLabel*>(c)) {
        if (has("Caption"))
            label->SetCaption(String(val("Caption"), key("Caption")));
    } else if (auto* text = dynamic_cast<TRpDBText*>(c)) {
        if (has("DataSet"))
            text->SetDataSet(DataSet(val("DataSet"), key("DataSet")));
        if (has("Mask"))
            text->SetMask(String(val("Mask"), key("Mask")));
        text->SetDataField(has("DataField") ? String(val("DataField"), key("DataField"))
                                            : QString());
    } else if (auto* sys = dynamic_cast<TRpSysData*>(c)) {
        if (has("Data"))
            sys->SetData(Enum(val("Data"), key("Data"), sysDataTypes));
        if (has("Text"))
            sys->SetText(String(val("Text"), key("Text")));
    }
}

void Reader::Band(const QJsonValue& v, const QString& path, TRpReport& report) const {
    const QJsonObject o = Object(v, path);
    CheckKeys(o, path,
              {"Class", "Name", "BandType", "AlignToBottom", "Color", "Enabled", "Font",
               "ForceNewColumn", "ForceNewPage", "HasChild", "LinkBand", "ParentFont", "Size",
               "Frame", "Controls"});
    const auto key = [&](const char* k) { return Join(path, QLatin1String(k)); };
    const auto has = [&](const char* k) { return o.contains(QLatin1String(k)); };
    const auto val = [&](const char* k) { return o.value(QLatin1String(k)); };

    const QString cls =
        has("Class") ? String(val("Class"), key("Class")) : QStringLiteral("TRpBand");
    if (cls != QLatin1String("TRpBand"))
        Fail(key("Class"), QStringLiteral("classe de banda desconhecida \"%1\"").arg(cls));
    const QString name = String(val("Name"), key("Name"));
    if (name.isEmpty())
        Fail(key("Name"), QStringLiteral("nome vazio"));
    if (report.FindBandByName(name))
        Fail(key("Name"), QStringLiteral("nome repetido \"%1\"").arg(name));
    const TRpBandType type =
        has("BandType") ? Enum(val("BandType"), key("BandType"), bandTypes) : rbDetail;
    auto owned = std::make_unique<TRpBand>(type);
    owned->SetName(name);
    TRpCustomBand* band = report.AddBand(std::move(owned));

    if (has("Size")) {
        const QJsonObject size = Object(val("Size"), key("Size"));
        CheckKeys(size, key("Size"), {"Values"});
        band->Size().SetValues(Values(size.value(QLatin1String("Values")),
                                      key("Size") + QStringLiteral(".Values"), TRpBandSize::Count));
        if (band->Size().Stored(TRpBandSize::iHeight) < 0 ||
            band->Size().Stored(TRpBandSize::iWidth) < 0)
            Fail(key("Size") + QStringLiteral(".Values"),
                 QStringLiteral("medidas não podem ser negativas"));
    }
    if (has("AlignToBottom"))
        band->SetAlignToBottom(Bool(val("AlignToBottom"), key("AlignToBottom")));
    if (has("Color"))
        band->SetColor(Color(val("Color"), key("Color")));
    if (has("Enabled"))
        band->SetEnabled(Bool(val("Enabled"), key("Enabled")));
    if (has("ForceNewColumn"))
        band->SetForceNewColumn(Bool(val("ForceNewColumn"), key("ForceNewColumn")));
    if (has("ForceNewPage"))
        band->SetForceNewPage(Bool(val("ForceNewPage"), key("ForceNewPage")));
    if (has("HasChild"))
        band->SetHasChild(Bool(val("HasChild"), key("HasChild")));
    if (has("Frame"))
        Frame(val("Frame"), key("Frame"), band->Frame());
    if (has("Font"))
        band->SetFont(Font(val("Font"), key("Font")));
    band->SetParentFont(has("ParentFont") ? Bool(val("ParentFont"), key("ParentFont"))
                                          : !has("Font"));
    if (has("LinkBand")) {
        // Links point backwards only, so the linked band is already read.
        const QString link = String(val("LinkBand"), key("LinkBand"));
        TRpCustomBand* linked = report.FindBandByName(link);
        if (!linked || linked == band)
            Fail(key("LinkBand"), QStringLiteral("banda desconhecida \"%1\"").arg(link));
        band->SetLinkBand(linked);
    }
    if (has("Controls")) {
        const QString p = key("Controls");
        const QJsonArray controls = Array(val("Controls"), p);
        for (qsizetype i = 0; i < controls.size(); ++i)
            Control(controls.at(i), Index(p, i), *band);
    }
}

std::unique_ptr<TRpReport> Reader::Report(const QJsonValue& rootValue) {
    const QJsonObject o = Object(rootValue, QString());
    CheckKeys(o, QString(),
              {"Class", "Name", "DataSet", "Description", "Font", "Frame", "Functions", "Options",
               "Page", "PrinterSettings", "PrintIfEmpty", "ReportTitle", "ShowProgress",
               "SnapToGrid", "Units", "Zoom", "Color", "Bands"});
    const auto has = [&](const char* k) { return o.contains(QLatin1String(k)); };
    const auto val = [&](const char* k) { return o.value(QLatin1String(k)); };
    const auto key = [](const char* k) { return QString::fromLatin1(k); };

    const QString cls = String(val("Class"), key("Class"));
    if (cls != QLatin1String("TRpReport"))
        Fail(key("Class"), QStringLiteral("classe de relatório desconhecida \"%1\"").arg(cls));

    auto report = std::make_unique<TRpReport>();
    report->BeginLoad();
    report->SetName(String(val("Name"), key("Name")));
    if (has("DataSet"))
        report->SetDataSet(DataSet(val("DataSet"), key("DataSet")));
    if (has("Description"))
        report->SetDescription(String(val("Description"), key("Description")));
    if (has("Color"))
        report->SetColor(Color(val("Color"), key("Color")));
    if (has("Font"))
        report->SetFont(Font(val("Font"), key("Font")));
    if (has("Frame"))
        Frame(val("Frame"), key("Frame"), report->Frame());
    if (has("Functions"))
        Functions(val("Functions"), key("Functions"), report->Functions());
    if (has("Options")) {
        const QJsonArray a = Array(val("Options"), key("Options"));
        TRpOptions set;
        for (qsizetype i = 0; i < a.size(); ++i)
            set |= Enum(a.at(i), Index(key("Options"), i), options);
        report->SetOptions(set);
    }
    if (has("Page"))
        Page(val("Page"), key("Page"), report->Page());
    if (has("PrinterSettings"))
        PrinterSettings(val("PrinterSettings"), key("PrinterSettings"), report->PrinterSettings());
    if (has("PrintIfEmpty"))
        report->SetPrintIfEmpty(Bool(val("PrintIfEmpty"), key("PrintIfEmpty")));
    if (has("ReportTitle"))
        report->SetReportTitle(String(val("ReportTitle"), key("ReportTitle")));
    if (has("ShowProgress"))
        report->SetShowProgress(Bool(val("ShowProgress"), key("ShowProgress")));
    if (has("SnapToGrid"))
        report->SetSnapToGrid(Bool(val("SnapToGrid"), key("SnapToGrid")));
    if (has("Zoom")) {
        const int zoom = Int(val("Zoom"), key("Zoom"));
        if (zoom <= 0 || zoom > 10000)
            Fail(key("Zoom"), QStringLiteral("zoom fora dos limites"));
        report->SetZoom(zoom);
    }
    if (has("Bands")) {
        const QJsonArray bands = Array(val("Bands"), key("Bands"));
        for (qsizetype i = 0; i < bands.size(); ++i)
            Band(bands.at(i), Index(key("Bands"), i), *report);
    }
    // The unit last, so that it reaches every band and control.
    if (has("Units"))
        report->SetUnits(Enum(val("Units"), key("Units"), units));
    report->EndLoad();
    return report;
}

} // namespace

void TRpDefinitionLoader::AddDataSet(const QString& name, TDataSet* dataSet) {
    dataSets_.insert(name, dataSet);
}

std::unique_ptr<TRpReport> TRpDefinitionLoader::Load(const QByteArray& data,
                                                     const QString& source) const {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(data, &error);
    Reader reader(source, dataSets_);
    if (error.error != QJsonParseError::NoError)
        reader.Fail(QString(),
                    QStringLiteral("%1 (posição %2)").arg(error.errorString()).arg(error.offset));
    if (!doc.isObject())
        reader.Fail(QString(), QStringLiteral("esperado um objeto de relatório"));
    return reader.Report(doc.object());
}

std::unique_ptr<TRpReport> TRpDefinitionLoader::LoadFile(const QString& path) const {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ERpDefinitionError(
            QStringLiteral("Não foi possível ler a definição de relatório \"%1\": %2")
                .arg(path, file.errorString()));
    // A definition is a few kilobytes; anything far larger is not one.
    constexpr qint64 limit = 16 * 1024 * 1024;
    if (file.size() > limit)
        throw ERpDefinitionError(
            QStringLiteral("Definição de relatório \"%1\" inválida: arquivo grande demais")
                .arg(path));
    return Load(file.readAll(), path);
}
