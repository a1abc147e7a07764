// The report benchmarks' tables and listing.
#include "report/bench/question_bank.h"

#include "report/rp_report.h"
#include "store/question_tables.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <cstdio>
#include <cstdlib>

namespace {

void RunDbAdmin(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(DBADMIN), args);
    if (!p.waitForFinished(600000) || p.exitCode() != 0) {
        std::fprintf(stderr, "dbadmin %s failed: %s\n", qPrintable(args.join(' ')),
                     p.readAllStandardError().constData());
        std::abort();
    }
}

} // namespace

bool UseBuiltEngine(const QString& root) {
    QDir().mkpath(root + QStringLiteral("/config/questoes"));
    qputenv("XDG_CONFIG_HOME", (root + QStringLiteral("/config")).toUtf8());
    QFile registry(root + QStringLiteral("/config/questoes/registry.conf"));
    if (!registry.open(QIODevice::WriteOnly))
        return false;
    registry.write("[HKEY_LOCAL_MACHINE\\Software\\Database Engine]\nDLLPATH=" DBENGINE_DIR "\n");
    return true;
}

QString MakeQuestionBank(const QString& dir, int records) {
    if (QFile::exists(dir + QStringLiteral("/QUESTOES.DB")))
        return dir;
    QDir().mkpath(dir);
    QFile csv(dir + QStringLiteral("/questions.csv"));
    if (!csv.open(QIODevice::WriteOnly))
        std::abort();
    for (int i = 1; i <= records; ++i)
        csv.write(QStringLiteral("\"Qual é a resposta certa da questão número %1, entre as três "
                                 "alternativas que se seguem?\",\"Primeira alternativa\","
                                 "\"Segunda alternativa\",\"Terceira alternativa\",B,N\n")
                      .arg(i)
                      .toUtf8());
    csv.close();
    RunDbAdmin({QStringLiteral("--dir"), dir, QStringLiteral("create")});
    RunDbAdmin({QStringLiteral("--dir"), dir, QStringLiteral("load"), QStringLiteral("QUESTOES.DB"),
                csv.fileName()});
    return dir;
}

TBenchListing::TBenchListing(const QString& dir)
    : Session(QStringLiteral("Bench")), Perguntas(QStringLiteral("TPerguntas")) {
    Session.AddPassword(QString::fromLatin1(kQuestionTablesPassword));
    Perguntas.SetSession(&Session);
    Perguntas.SetDatabaseName(dir);
    DeclareQuestionTable(Perguntas);
    Perguntas.Open();
    Form = std::make_unique<TFRRelQuest>(&Perguntas);
}

TRpReport& TBenchListing::Report() const {
    return *Form->RpRelQuest();
}
