// rpptool listing: opens QUESTOES.DB through the record store as the
// program does (alias "Questoes" unless told otherwise), previews the
// question listing into its page store with no window to show it, and saves
// the pages. On a terminal the progress of the walk is shown on standard
// error.
#include "tools/rpptool/listing.h"

#include "platform/exceptions.h"
#include "platform/messages.h"
#include "report/fr_rel_quest.h"
#include "report/rp_db_text.h"
#include "report/rp_printer.h"
#include "report/rp_report.h"
#include "store/field.h"
#include "store/question_tables.h"
#include "store/session.h"
#include "store/table.h"

#include <QDir>
#include <QGuiApplication>
#include <QTextStream>

#include <cstdio>
#include <unistd.h>

namespace {

// Shows the walk's progress and the pages made on one terminal line.
class TProgressLine : public TMessageHandler<QObject> {
public:
    explicit TProgressLine(QTextStream& err) : err_(err) {}
    ~TProgressLine() override {
        if (shown_)
            err_ << "\n" << Qt::flush;
    }
    void WndProc(TMessage& message) override {
        if (message.Msg == RP_PROGRESS)
            percent_ = static_cast<int>(message.WParam);
        else if (message.Msg == RP_PAGES_AVAILABLE)
            pages_ = static_cast<int>(message.WParam);
        else
            return;
        err_ << "\rrpptool: " << percent_ << "% of the questions, " << pages_ << " page(s)"
             << Qt::flush;
        shown_ = true;
    }

private:
    QTextStream& err_;
    int percent_ = 0;
    int pages_ = 0;
    bool shown_ = false;
};

} // namespace

int RunListing(int argc, char** argv, const QStringList& args) {
    QString database = QStringLiteral("Questoes");
    QString out;
    bool quiet = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == QLatin1String("--quiet")) {
            quiet = true;
        } else if ((a == QLatin1String("--alias") || a == QLatin1String("--dir")) &&
                   i + 1 < args.size()) {
            database = args.at(++i);
            // A directory is told from an alias by its separator.
            if (a == QLatin1String("--dir") && !database.contains(QLatin1Char('/')))
                database = QDir::current().absoluteFilePath(database);
        } else if (out.isEmpty() && !a.startsWith(QLatin1String("--"))) {
            out = a;
        } else {
            return -1;
        }
    }
    if (out.isEmpty())
        return -1;

    // Text is measured with real fonts; the offscreen platform needs no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);

    TSession session(QStringLiteral("rpptool"));
    session.AddPassword(QString::fromLatin1(kQuestionTablesPassword));
    TTable perguntas(QStringLiteral("TPerguntas"));
    perguntas.SetSession(&session);
    perguntas.SetDatabaseName(database);
    DeclareQuestionTable(perguntas);
    perguntas.Open();

    TFRRelQuest form(&perguntas);
    TRpReport& report = *form.RpRelQuest();
    // The boxes show whole lines only: every text that did not fit is
    // named, measured by the same layout that printed it.
    QStringList cut;
    TField* codigo = perguntas.FieldByName(QStringLiteral("Codigo"));
    report.OnTextCut = [&](TRpCustomLabel* control, int printed, int lines, bool dropped) {
        const auto* text = dynamic_cast<const TRpDBText*>(control);
        if (text == nullptr)
            return;
        cut << QStringLiteral("Codigo %1: %2: %3 of %4 line(s) printed%5")
                   .arg(codigo->AsString(), text->DataField())
                   .arg(printed)
                   .arg(lines)
                   .arg(dropped ? QStringLiteral(", a word cut to its box") : QString());
    };
    std::unique_ptr<TProgressLine> progress;
    if (isatty(fileno(stderr))) {
        // The preview's printer object takes over the previous one's client.
        progress = std::make_unique<TProgressLine>(err);
        auto seed = std::make_unique<TRpPrinter>();
        seed->SetClientWindow(progress.get());
        report.SetPrinter(std::move(seed));
    }
    report.Preview();
    QCoreApplication::processEvents();
    progress.reset();
    TRpPrinter* printer = report.Printer();
    if (printer == nullptr || printer->Status() != rpsFinished)
        throw Exception(QStringLiteral("The listing was not generated"));
    printer->SaveToFile(out);
    if (!quiet && !cut.isEmpty()) {
        QTextStream stdOut(stdout);
        for (const QString& line : cut)
            stdOut << line << "\n";
    }
    return 0;
}
