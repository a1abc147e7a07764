// The question listing read from the program's resources, value by value
// and pixel by pixel, and the reader's refusal of damaged definitions.
#include "report/rp_definition_loader.h"

#include "platform/testing/exception_message.h"
#include "report/fr_rel_quest.h"
#include "report/rp_db_text.h"
#include "report/rp_label.h"
#include "report/rp_report.h"
#include "report/rp_sys_data.h"
#include "store/table.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

double N(long double v) {
    return static_cast<double>(v);
}

void ExpectValues(const std::vector<long double>& actual, std::vector<double> expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(N(actual[i]), expected[i], 1e-9) << "value " << i;
}

struct Listing {
    Listing() : perguntas("TPerguntas") {
        SetRpScreenPixelsPerInch(96);
        form = std::make_unique<TFRRelQuest>(&perguntas);
        report = form->RpRelQuest();
    }
    TTable perguntas;
    std::unique_ptr<TFRRelQuest> form;
    TRpReport* report = nullptr;

    template <typename T> T* Control(const char* name) const {
        auto* c = dynamic_cast<T*>(report->FindPrintable(QString::fromLatin1(name)));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
};

TEST(RpRelQuest, FormCarriesTheListing) {
    Listing l;
    EXPECT_EQ(l.form->Caption(), "Relação de Questões");
    EXPECT_EQ(l.form->Name(), "FRRelQuest");
    EXPECT_FALSE(l.form->Scaled());
    EXPECT_EQ(l.form->PixelsPerInch(), 96);
    ASSERT_NE(l.report, nullptr);
    EXPECT_EQ(l.report->Name(), "RpRelQuest");
    EXPECT_EQ(l.report->DataSet(), &l.perguntas);
}

TEST(RpRelQuest, ReportValues) {
    Listing l;
    const TRpReport& r = *l.report;
    EXPECT_EQ(r.Font().Name(), "Arial");
    EXPECT_EQ(r.Font().Height(), -13);
    EXPECT_EQ(r.Font().Size(), 10);
    EXPECT_EQ(r.Font().Charset(), DEFAULT_CHARSET);
    EXPECT_EQ(r.Font().Color(), clWindowText);
    EXPECT_EQ(r.Font().Style(), 0u);
    EXPECT_FALSE(r.Frame().DrawsAnySide());
    EXPECT_EQ(r.Frame().Color(), clBlack);
    EXPECT_EQ(r.Functions().Names(), QStringList({"PAGENUMBER", "COLUMNNUMBER", "REPORTTITLE"}));
    EXPECT_EQ(r.Functions().Expressions(), QStringList({"0", "0", "''"}));
    EXPECT_EQ(r.Options(), TRpOptions({TRpOption::FirstPageHeader, TRpOption::LastPageFooter}));
    EXPECT_EQ(r.Page().PaperSize(), TRpPaperSize::A4);
    EXPECT_EQ(r.Page().Orientation(), poLandscape);
    EXPECT_EQ(r.Page().Columns(), 1);
    ExpectValues(r.Page().Values(), {50, 2100, 50, 2970, 50, 50, 0});
    EXPECT_EQ(r.Page().Units(), TRpUnit::MM);
    EXPECT_NEAR(N(r.Page().Width()), 297, 1e-9);
    EXPECT_NEAR(N(r.Page().BottomMargin()), 5, 1e-9);
    EXPECT_EQ(r.PrinterSettings().Copies(), 1);
    EXPECT_FALSE(r.PrinterSettings().Duplex());
    EXPECT_EQ(r.PrinterSettings().FirstPage(), 0);
    EXPECT_EQ(r.PrinterSettings().LastPage(), 0);
    EXPECT_EQ(r.PrinterSettings().OutputBin(), TRpBin::Auto);
    EXPECT_TRUE(r.PrintIfEmpty());
    EXPECT_TRUE(r.SnapToGrid());
    EXPECT_EQ(r.Units(), TRpUnit::MM);
    EXPECT_EQ(r.Zoom(), 100);
    EXPECT_TRUE(r.ReportTitle().isEmpty());
    EXPECT_TRUE(r.ShowProgress());
    EXPECT_EQ(r.Width(), 1123);
    EXPECT_EQ(r.Height(), 794);
}

TEST(RpRelQuest, BandsSitAtLeft19Tops19_59_133Width1085) {
    Listing l;
    const auto& bands = l.report->BandList();
    ASSERT_EQ(bands.size(), 3u);
    const struct {
        const char* name;
        TRpBandType type;
        double height;
        int top;
        int pixelHeight;
    } expected[] = {
        {"ColumnHeaderBand1", rbColumnHeader, 105.833333333333, 19, 40},
        {"DetailBand1", rbDetail, 195.791666666667, 59, 74},
        {"PageFooterBand1", rbPageFooter, 50.2708333333333, 133, 19},
    };
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(expected[i].name);
        const TRpCustomBand& b = *bands[i];
        EXPECT_EQ(b.Name(), expected[i].name);
        EXPECT_EQ(b.BandType(), expected[i].type);
        ExpectValues(b.Size().Values(), {expected[i].height, 2870.72916666667});
        EXPECT_EQ(b.Left(), 19);
        EXPECT_EQ(b.Top(), expected[i].top);
        EXPECT_EQ(b.Width(), 1085);
        EXPECT_EQ(b.Height(), expected[i].pixelHeight);
        EXPECT_EQ(b.Color(), clWhite);
        EXPECT_EQ(b.Frame().Color(), clBlack);
        EXPECT_FALSE(b.AlignToBottom());
        EXPECT_FALSE(b.ForceNewColumn());
        EXPECT_FALSE(b.ForceNewPage());
        EXPECT_TRUE(b.Enabled());
        EXPECT_EQ(b.Size().Units(), TRpUnit::MM);
    }
    EXPECT_TRUE(bands[1]->Frame().DrawBottom());
    EXPECT_FALSE(bands[1]->Frame().DrawTop() || bands[1]->Frame().DrawLeft() ||
                 bands[1]->Frame().DrawRight());
    EXPECT_FALSE(bands[0]->Frame().DrawsAnySide());
    EXPECT_FALSE(bands[2]->Frame().DrawsAnySide());
    EXPECT_EQ(bands[0]->Font().Height(), -16);
    EXPECT_EQ(bands[0]->Font().Style(), fsBold);
    EXPECT_EQ(bands[1]->Font(), l.report->Font());
    EXPECT_EQ(bands[2]->Font(), l.report->Font());
    EXPECT_TRUE(l.report->Bands().HasColumnHeader());
    EXPECT_TRUE(l.report->Bands().HasDetail());
    EXPECT_TRUE(l.report->Bands().HasPageFooter());
    EXPECT_FALSE(l.report->Bands().HasTitle());
}

struct Box {
    const char* name;
    std::vector<double> values;
    int left, top, width, height;
};

class RpRelQuestControl : public testing::TestWithParam<Box> {};

TEST_P(RpRelQuestControl, StoredSizeAndPixelBounds) {
    Listing l;
    const Box& b = GetParam();
    const TRpPrintable* c = l.report->FindPrintable(QString::fromLatin1(b.name));
    ASSERT_NE(c, nullptr);
    ExpectValues(c->Size().Values(), b.values);
    EXPECT_EQ(c->Left(), b.left);
    EXPECT_EQ(c->Top(), b.top);
    EXPECT_EQ(c->Width(), b.width);
    EXPECT_EQ(c->Height(), b.height);
    EXPECT_EQ(c->Size().Units(), TRpUnit::MM);
    EXPECT_FALSE(c->Frame().DrawsAnySide());
}

INSTANTIATE_TEST_SUITE_P(
    Listing, RpRelQuestControl,
    testing::Values(
        Box{"RpLabel5", {60.8541666666667, 1158.875, 0, 550.333333333333}, 438, 0, 208, 23},
        Box{"RpLabel1", {52.9166666666667, 0, 63.5, 171.979166666667}, 0, 24, 65, 20},
        Box{"RpLabel2", {52.9166666666667, 698.5, 63.5, 256.645833333333}, 264, 24, 97, 20},
        Box{"RpLabel3", {52.9166666666667, 1389.0625, 63.5, 259.291666666667}, 525, 24, 98, 20},
        Box{"RpLabel4", {52.9166666666667, 2087.5625, 63.5, 259.291666666667}, 789, 24, 98, 20},
        Box{"RpLabel6",
            {52.9166666666667, 2701.39583333333, 63.5, 153.458333333333},
            1021,
            24,
            58,
            20},
        Box{"RpDBText2", {193.145833333333, 0, 0, 679.979166666667}, 0, 0, 257, 73},
        Box{"RpDBText3", {193.145833333333, 698.5, 0, 679.979166666667}, 264, 0, 257, 73},
        Box{"RpDBText4", {193.145833333333, 1397, 0, 679.979166666667}, 528, 0, 257, 73},
        Box{"RpDBText5", {193.145833333333, 2095.5, 0, 679.979166666667}, 792, 0, 257, 73},
        Box{"RpDBText1", {44.9791666666667, 2786.0625, 0, 71.4375}, 1053, 0, 27, 17},
        Box{"RpSysData1", {44.9791666666667, 0, 0, 179.916666666667}, 0, 0, 68, 17},
        Box{"RpSysData2",
            {44.9791666666667, 2743.72916666667, 0, 121.708333333333},
            1037,
            0,
            46,
            17}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RpRelQuest, ColumnHeaderCaptionsAndFonts) {
    Listing l;
    auto* title = l.Control<TRpLabel>("RpLabel5");
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->Caption(), "Relação das Questões");
    EXPECT_EQ(title->Alignment(), taCenter);
    EXPECT_TRUE(title->AlignToBand());
    EXPECT_TRUE(title->AutoSize());
    EXPECT_FALSE(title->AutoStretch());
    EXPECT_EQ(title->FontSize(), 14);
    EXPECT_EQ(title->Font().Name(), "Arial");
    EXPECT_EQ(title->Font().Height(), -19);
    EXPECT_EQ(title->Font().Style(), fsBold);
    const struct {
        const char* name;
        const char* caption;
    } captions[] = {{"RpLabel1", "Questão"},
                    {"RpLabel2", "Alternativa A"},
                    {"RpLabel3", "Alternativa B"},
                    {"RpLabel4", "Alternativa C"},
                    {"RpLabel6", "Correta"}};
    for (const auto& c : captions) {
        SCOPED_TRACE(c.name);
        auto* label = l.Control<TRpLabel>(c.name);
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->Caption(), QString::fromUtf8(c.caption));
        EXPECT_EQ(label->Alignment(), taLeftJustify);
        EXPECT_FALSE(label->AlignToBand());
        EXPECT_TRUE(label->AutoSize());
        EXPECT_TRUE(label->WordWrap());
        EXPECT_FALSE(label->Transparent());
        EXPECT_EQ(label->Color(), clWhite);
        EXPECT_EQ(label->FontSize(), 12);
        EXPECT_EQ(label->Font().Size(), 12);
        EXPECT_EQ(label->Font().Height(), -16);
        EXPECT_EQ(label->Font().Style(), fsBold);
    }
}

TEST(RpRelQuest, DetailFieldsAndFooterSystemData) {
    Listing l;
    const struct {
        const char* name;
        const char* field;
    } fields[] = {{"RpDBText2", "Questao"},
                  {"RpDBText3", "Resp_A"},
                  {"RpDBText4", "Resp_B"},
                  {"RpDBText5", "Resp_C"},
                  {"RpDBText1", "Correta"}};
    for (const auto& f : fields) {
        SCOPED_TRACE(f.name);
        auto* text = l.Control<TRpDBText>(f.name);
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text->DataField(), f.field);
        EXPECT_EQ(text->Caption(), f.field);
        EXPECT_EQ(text->DataSet(), &l.perguntas);
        EXPECT_TRUE(text->Mask().isEmpty());
        EXPECT_FALSE(text->AutoSize());
        EXPECT_FALSE(text->AutoStretch());
        EXPECT_TRUE(text->WordWrap());
        EXPECT_EQ(text->FontSize(), 10);
        EXPECT_EQ(text->Font().Height(), -13);
        EXPECT_EQ(text->Font().Style(), 0u);
    }
    auto* date = l.Control<TRpSysData>("RpSysData1");
    auto* page = l.Control<TRpSysData>("RpSysData2");
    ASSERT_TRUE(date && page);
    EXPECT_EQ(date->Data(), sdDateTime);
    EXPECT_EQ(page->Data(), sdPageNumber);
    EXPECT_TRUE(date->Text().isEmpty());
    EXPECT_TRUE(page->Text().isEmpty());
    EXPECT_TRUE(date->AutoSize());
    EXPECT_EQ(date->Alignment(), taLeftJustify);
    EXPECT_EQ(page->FontSize(), 10);
}

TEST(RpRelQuest, EveryControlSitsInItsBand) {
    Listing l;
    const auto& bands = l.report->BandList();
    ASSERT_EQ(bands.size(), 3u);
    EXPECT_EQ(bands[0]->Printables().size(), 6u);
    EXPECT_EQ(bands[1]->Printables().size(), 5u);
    EXPECT_EQ(bands[2]->Printables().size(), 2u);
    EXPECT_TRUE(l.report->Printables().empty());
    for (const auto& band : bands) {
        for (const auto& c : band->Printables())
            EXPECT_EQ(c->Band(), band.get()) << c->Name().toStdString();
    }
}

TEST(RpRelQuest, NativeUnitForAGenerationRunAndBack) {
    Listing l;
    l.report->SetUnits(TRpUnit::Native);
    EXPECT_NEAR(N(l.report->Page().LeftMargin()), 50, 1e-9);
    EXPECT_NEAR(N(l.report->FindBand(rbDetail)->Size().Height()), 195.791666666667, 1e-9);
    EXPECT_NEAR(N(l.Control<TRpDBText>("RpDBText3")->Size().Left()), 698.5, 1e-9);
    l.report->SetUnits(TRpUnit::MM);
    EXPECT_NEAR(N(l.Control<TRpDBText>("RpDBText3")->Size().Left()), 69.85, 1e-9);
}

// ---- damaged definitions ---------------------------------------------------

QByteArray Definition() {
    QFile f(TFRRelQuest::DefinitionPath());
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
}

struct Damage {
    const char* name;
    const char* from; // replaced once in the stored definition
    const char* to;
    const char* message; // part of the error message
};

void PrintTo(const Damage& d, std::ostream* os) {
    *os << d.name;
}

class RpDefinitionDamage : public testing::TestWithParam<Damage> {};

TEST_P(RpDefinitionDamage, RaisesAnErrorNamingTheProblem) {
    const Damage& d = GetParam();
    QByteArray data = Definition();
    const qsizetype at = data.indexOf(d.from);
    ASSERT_GE(at, 0) << d.from;
    data.replace(at, static_cast<qsizetype>(qstrlen(d.from)), d.to);
    TRpDefinitionLoader loader;
    loader.AddDataSet("TPerguntas", nullptr);
    const QString message =
        ExceptionMessage<ERpDefinitionError>([&] { (void)loader.Load(data, "rel_quest.json"); });
    EXPECT_TRUE(message.contains("rel_quest.json")) << message.toStdString();
    EXPECT_TRUE(message.contains(QString::fromUtf8(d.message))) << message.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RpDefinitionDamage,
    testing::Values(
        Damage{"NotJson", "{", "[[", "inválida"},
        Damage{"ExtraProperty",
               "\"Bands\":", "\"Bands\": [ ], \"x\":", "x: propriedade desconhecida"},
        Damage{"PageValuesShort", "\"Values\": [\n      50,", "\"Values\": [\n",
               "Page.Values: esperados 7 números, encontrados 6"},
        Damage{"BandValuesNotNumbers", "105.833333333333", "\"alto\"",
               "Bands[0].Size.Values[0]: esperado um número"},
        Damage{"ControlValuesLong", "550.333333333333", "550.333333333333, 1",
               "Bands[0].Controls[0].Size.Values: esperados 4 números, encontrados 5"},
        Damage{"UnknownProperty", "\"SnapToGrid\"", "\"SnapToGrade\"",
               "SnapToGrade: propriedade desconhecida"},
        Damage{"UnknownBandType", "\"rbColumnHeader\"", "\"rbCabecalho\"",
               "Bands[0].BandType: valor desconhecido \"rbCabecalho\""},
        Damage{"UnknownControlClass", "\"TRpSysData\"", "\"TRpImage\"",
               "classe de controle desconhecida \"TRpImage\""},
        Damage{"UnknownDataSet", "\"DataSet\": \"TPerguntas\"", "\"DataSet\": \"TFrases\"",
               "conjunto de dados desconhecido \"TFrases\""},
        Damage{"DuplicateName", "\"RpLabel1\"", "\"RpLabel5\"", "nome repetido \"RpLabel5\""},
        Damage{"WrongKind", "\"PrintIfEmpty\": true", "\"PrintIfEmpty\": 1",
               "PrintIfEmpty: esperado true ou false"},
        Damage{"ZeroColumns", "\"Columns\": 1", "\"Columns\": 0", "Page.Columns"},
        Damage{"FunctionsMismatch", ",\n      \"''\"", "", "3 nomes de função para 2 expressões"},
        Damage{"NegativeFontSize", "\"FontSize\": 14", "\"FontSize\": -14", "FontSize"},
        Damage{"FontHeightZero", "\"Height\": -13", "\"Height\": 0", "Font.Height"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RpDefinitionLoader, MissingFileNamesTheFile) {
    TRpDefinitionLoader loader;
    EXPECT_TRUE(ExceptionMessage<ERpDefinitionError>([&] {
                    (void)loader.LoadFile("/nonexistent/rel_quest.json");
                }).contains("/nonexistent/rel_quest.json"));
}

TEST(RpDefinitionLoader, EmptyAndBinaryInputAreRefused) {
    TRpDefinitionLoader loader;
    EXPECT_THROW((void)loader.Load(QByteArray(), "x"), ERpDefinitionError);
    EXPECT_THROW((void)loader.Load(QByteArray("\x00\xff\x10", 3), "x"), ERpDefinitionError);
    EXPECT_THROW((void)loader.Load("[]", "x"), ERpDefinitionError);
    EXPECT_THROW((void)loader.Load("{}", "x"), ERpDefinitionError);
}

TEST(RpDefinitionLoader, FormRaisesForADamagedFileOnDisk) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("rel_quest.json");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(Definition().left(200));
    f.close();
    EXPECT_THROW(TFRRelQuest(nullptr, path), ERpDefinitionError);
}

TEST(RpDefinitionLoader, MinimalDefinitionGetsTheDefaults) {
    TRpDefinitionLoader loader;
    auto report = loader.Load(R"({"Class": "TRpReport", "Name": "R",
        "Functions": {"Strings": ["TOTAL"], "DATA": ["1"]}})",
                              "min");
    EXPECT_EQ(report->Name(), "R");
    EXPECT_EQ(report->Functions().Names(),
              QStringList({"TOTAL", "PAGENUMBER", "COLUMNNUMBER", "REPORTTITLE"}));
    EXPECT_TRUE(report->BandList().empty());
}

} // namespace

namespace {

TEST(RpDefinitionLoader, DesignPixelBoundsFillOnlyTheStoredValuesLeftAtZero) {
    SetRpScreenPixelsPerInch(96);
    TRpDefinitionLoader loader;
    auto report = loader.Load(R"({"Class": "TRpReport", "Name": "R", "Units": "Native",
        "Page": {"PaperSize": "A4", "Orientation": "poPortrait",
                 "Values": [100, 2970, 100, 2100, 100, 100, 0]},
        "Bands": [{"Name": "DetailBand1", "BandType": "rbDetail",
                   "Size": {"Values": [254, 0]},
                   "Controls": [{"Class": "TRpLabel", "Name": "L", "AutoSize": false,
                                 "Left": 10, "Top": 20, "Width": 30, "Height": 40,
                                 "Size": {"Values": [0, 127, 0, 0]}}]}]})",
                              "pending");
    const TRpPrintable* label = report->FindPrintable("L");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->Left(), 48); // stored 12.7 mm wins over the 10 pixels
    EXPECT_EQ(label->Top(), 20);
    EXPECT_EQ(label->Width(), 30);
    EXPECT_EQ(label->Height(), 40);
    EXPECT_NEAR(static_cast<double>(label->Size().Height()), 40 * 254 / 96.0, 1e-9);
    // The band's width is the report's to set.
    EXPECT_EQ(report->FindBand(rbDetail)->Width(), 794 - 76);
    EXPECT_EQ(report->FindBand(rbDetail)->Height(), 96);
}

TEST(RpRelQuest, TitleMeasuredOnTheReferenceDeviceStaysCentredNearItsStoredWidth) {
    Listing l;
    auto* title = l.Control<TRpLabel>("RpLabel5");
    ASSERT_NE(title, nullptr);
    title->AdjustBounds(); // what a caption change or a printing does
    // The substitute face has the design face's metrics: the caption comes
    // out within a few pixels of the 208 it was designed at, and stays
    // centred in the band.
    EXPECT_NEAR(title->Width(), 208, 4);
    EXPECT_EQ(title->Left(), (1085 - title->Width()) / 2);
    EXPECT_GE(title->Height(), 23);
}

TEST(RpReport, InitialPaperComesFromTheDefaultPrinterWhenKnown) {
    SetRpDefaultPaperSource([] { return TRpPaperSize::Legal; });
    TRpReport legal;
    SetRpDefaultPaperSource([] { return TRpPaperSize::Custom; });
    TRpReport custom;
    SetRpDefaultPaperSource(nullptr);
    EXPECT_EQ(legal.Page().PaperSize(), TRpPaperSize::Legal);
    EXPECT_NEAR(static_cast<double>(legal.Page().Stored(TRpPage::iLength)), 3556, 1e-9);
    EXPECT_NE(custom.Page().PaperSize(), TRpPaperSize::Custom);
}

} // namespace
