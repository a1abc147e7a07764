// The report form of the question listing: a non-visual owner that reads
// the stored definition of RpRelQuest from the program's resources when it
// is created (at program start) and keeps it until it is freed. Nothing in
// the definition changes afterwards; printing and the preview use the
// report it holds.
#pragma once

#include <QString>
#include <memory>

class TDataSet;
class TRpReport;

class TFRRelQuest {
public:
    // The resource that holds the listing's definition.
    static QString DefinitionPath();

    // `perguntas` is the main window's questions table TPerguntas (not
    // owned; may be null where no table exists). Throws ERpDefinitionError
    // when the stored definition cannot be read.
    explicit TFRRelQuest(TDataSet* perguntas);
    // Reads another definition file instead (tests, tools).
    TFRRelQuest(TDataSet* perguntas, const QString& definitionPath);
    ~TFRRelQuest();
    TFRRelQuest(const TFRRelQuest&) = delete;
    TFRRelQuest& operator=(const TFRRelQuest&) = delete;

    const QString& Name() const { return name_; }
    const QString& Caption() const { return caption_; }
    bool Scaled() const { return false; }
    int PixelsPerInch() const { return 96; }

    TRpReport* RpRelQuest() const { return rpRelQuest_.get(); }

private:
    QString name_ = QStringLiteral("FRRelQuest");
    QString caption_ = QStringLiteral("Relação de Questões");
    std::unique_ptr<TRpReport> rpRelQuest_;
};

// The program's report host, created at start-up after the main window
// (null until then and when its definition could not be read).
extern TFRRelQuest* FRRelQuest;
