// A private world for one test: a temporary directory with its own data,
// configuration and temporary folders (XDG_DATA_HOME, XDG_CONFIG_HOME,
// XDG_CACHE_HOME, TMPDIR and HOME point inside it, and so does the
// machine-wide registry file), no drive overrides from the caller's
// environment, and scripted dialogs and shell installed as the current
// services. Everything is put back when it goes, so nothing a test
// does reaches the user's own files.
//
//     ScopedTestEnvironment env;
//     const QString floppy = env.MapDrive('A');
//     env.AppendDbEngineConf("...");
//     env.Dialogs().QueueAnswer(IDYES);
#pragma once

#include "platform/testing/scripted_dialogs.h"
#include "platform/testing/scripted_shell.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class ScopedTestEnvironment {
public:
    ScopedTestEnvironment();
    ~ScopedTestEnvironment();
    ScopedTestEnvironment(const ScopedTestEnvironment&) = delete;
    ScopedTestEnvironment& operator=(const ScopedTestEnvironment&) = delete;

    // The temporary directory and the folders the variables point at.
    QString Root() const;
    QString DataHome() const;   // $XDG_DATA_HOME
    QString ConfigHome() const; // $XDG_CONFIG_HOME
    QString TempDir() const;    // $TMPDIR
    // $XDG_CONFIG_HOME/questoes, where drives.conf, registry.conf and
    // dbengine.conf are read from.
    QString ConfigDir() const;

    // Points a drive letter at a new empty folder inside the test directory
    // (through QUESTOES_DRIVE_<letter>) and returns the folder.
    QString MapDrive(char letter);
    // Points a drive letter at the given folder.
    void MapDrive(char letter, const QString& directory);

    // Appends one line to a configuration file of ConfigDir().
    void AppendDrivesConf(const QString& line);
    void AppendRegistryConf(const QString& line);
    void AppendDbEngineConf(const QString& line);
    // The machine-wide registry file stands in at this path (inside the test
    // directory, absent until a line is appended), so /etc is never read.
    QString SystemRegistryFile() const;
    void AppendSystemRegistryConf(const QString& line);
    // Appends one line to the named file of ConfigDir(); returns its path.
    QString AppendConfigLine(const QString& fileName, const QString& line);

    // Writes a file at a path relative to Root() (folders are made as
    // needed) and returns its absolute path.
    QString WriteFile(const QString& relativePath, const QByteArray& contents);

    // Sets an environment variable for the test's lifetime (nullopt unsets).
    void SetVariable(const QByteArray& name, const std::optional<QByteArray>& value);

    TScriptedDialogs& Dialogs() { return *dialogs_; }
    TScriptedShell& Shell() { return *shell_; }

private:
    void Remember(const QByteArray& name);

    QTemporaryDir root_;
    // Every variable changed, with the value it had before (nullopt: unset).
    std::vector<std::pair<QByteArray, std::optional<QByteArray>>> saved_;
    std::unique_ptr<TScriptedDialogs> dialogs_;
    std::unique_ptr<TScriptedShell> shell_;
};

// A GoogleTest fixture with an environment of its own: TEST_F(Suite, ...)
// derives from it and uses Env.
class TestWithEnvironment : public ::testing::Test {
protected:
    ScopedTestEnvironment Env;
};
