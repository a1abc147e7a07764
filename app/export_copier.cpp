// The export's copies, their verification and their failure lines.
#include "app/export_copier.h"

#include "platform/exceptions.h"
#include "platform/paths.h"
#include "store/table_family.h"

#include <QFileInfo>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

qint64 SizeOf(const QString& windowsPath) {
    const QString path = ResolvePath(windowsPath);
    return path.isEmpty() ? 0 : QFileInfo(path).size();
}

} // namespace

TExportCopier::TExportCopier(TSession& session, QString installFolder, QString mediumFolder)
    : session_(session), installFolder_(std::move(installFolder)),
      mediumFolder_(std::move(mediumFolder)) {
    CopyService = [](const QString& source, const QString& dest, const TCopyProgress& progress) {
        return CopyFileChecked(source, dest, false, progress);
    };
}

std::vector<TExportCopy> TExportCopier::List() const {
    return {
        {installFolder_ + QStringLiteral("QDiskApp.exe"),
         mediumFolder_ + QStringLiteral("QDiskApp.exe"),
         {}},
        {installFolder_ + QStringLiteral("Questoes.DB"),
         mediumFolder_ + QStringLiteral("Questoes.DB"), QStringLiteral("QUESTOES.DB")},
        {installFolder_ + QStringLiteral("Frases.DB"), mediumFolder_ + QStringLiteral("Frases.DB"),
         QStringLiteral("FRASES.DB")},
    };
}

void TExportCopier::Report(qint64 done, qint64 total) {
    const int percent =
        total > 0 ? static_cast<int>(std::min<qint64>(100, done * 100 / total)) : 100;
    if (percent == lastPercent_)
        return;
    lastPercent_ = percent;
    if (OnProgress)
        OnProgress(percent);
}

QStringList TExportCopier::Run() {
    const std::vector<TExportCopy> list = List();
    qint64 total = 0;
    for (const TExportCopy& copy : list)
        total += SizeOf(copy.Source);
    QStringList failures;
    qint64 done = 0;
    for (const TExportCopy& copy : list) {
        const qint64 size = SizeOf(copy.Source);
        const QString reason =
            copy.TableName.isEmpty() ? CopyPlainFile(copy, done, total) : CopyTable(copy);
        if (!reason.isEmpty())
            failures << QStringLiteral("%1: %2").arg(copy.Destination, reason);
        done += size;
        Report(done, total);
    }
    Report(total, total);
    return failures;
}

QString TExportCopier::CopyPlainFile(const TExportCopy& copy, qint64 before, qint64 total) {
    // The worker copies; this thread waits in short steps, handing the
    // progress on and letting the caller paint.
    std::atomic<qint64> copied{0};
    std::mutex lock;
    std::condition_variable finished;
    bool done = false;
    TCopyResult result;
    std::thread worker([&] {
        TCopyResult r = CopyService(copy.Source, copy.Destination,
                                    [&](qint64 bytes, qint64) { copied = bytes; });
        std::lock_guard<std::mutex> guard(lock);
        result = std::move(r);
        done = true;
        finished.notify_one();
    });
    for (;;) {
        {
            std::unique_lock<std::mutex> guard(lock);
            if (finished.wait_for(guard, std::chrono::milliseconds(20), [&] { return done; }))
                break;
        }
        Report(before + copied, total);
        if (OnWaiting)
            OnWaiting();
    }
    worker.join();
    if (!result.Ok) {
        // A failure the copy could not name may still be the medium's.
        const TCopyFailure failure = result.Failure == cfOther
                                         ? DestinationProblem(mediumFolder_, SizeOf(copy.Source))
                                         : result.Failure;
        return Reason(failure, copy, QStringLiteral("não foi possível gravar o arquivo no disco"));
    }
    if (!SameFileContents(copy.Source, copy.Destination))
        return Reason(cfOther, copy,
                      QStringLiteral("a cópia gravada no disco não confere com o original"));
    return {};
}

QString TExportCopier::CopyTable(const TExportCopy& copy) {
    try {
        CopyTableFamily(session_, installFolder_, copy.TableName, mediumFolder_);
    } catch (const Exception&) {
        // The engine's words are its own; the user is told what stands in
        // the way on either side.
        const TCopyFailure failure = !FileExists(copy.Source)
                                         ? cfSourceMissing
                                         : DestinationProblem(mediumFolder_, SizeOf(copy.Source));
        return Reason(failure, copy, QStringLiteral("a tabela não pôde ser copiada"));
    }
    try {
        CheckTableFile(session_, mediumFolder_, copy.TableName);
    } catch (const Exception&) {
        return Reason(cfOther, copy,
                      QStringLiteral("a cópia gravada no disco não confere com o original"));
    }
    return {};
}

QString TExportCopier::Reason(TCopyFailure failure, const TExportCopy& copy,
                              const QString& detail) const {
    switch (failure) {
    case cfSourceMissing:
        return QStringLiteral("o arquivo de origem %1 não existe").arg(copy.Source);
    case cfNoMedium:
        return QStringLiteral("não há disco na unidade %1").arg(mediumFolder_.left(2));
    case cfMediumFull:
        return QStringLiteral("o disco está cheio");
    case cfWriteProtected:
        return QStringLiteral("o disco está protegido contra gravação");
    case cfNone:
    case cfOther:
        break;
    }
    return detail;
}
