// dbadmin's commands over the engine's C interface.
//
//   dbadmin [--alias NAME | --dir PATH] create [--missing]
//   dbadmin [--alias NAME | --dir PATH] list
//   dbadmin [--alias NAME | --dir PATH] dump TABLE
//   dbadmin [--alias NAME | --dir PATH] load TABLE FILE.csv
//   dbadmin [--alias NAME | --dir PATH] check
//   dbadmin [--alias NAME | --dir PATH] import [--format F] [--table T] FILE
//   dbadmin [--alias NAME | --dir PATH] export [--format F] [--table T] FILE
//   dbadmin [--alias NAME | --dir PATH] lint
//   dbadmin alias get NAME
//   dbadmin alias set NAME PATH
//
// Without --alias or --dir the database is the alias "Questoes". A load or
// an import reads, checks and stores its rows in one pass inside one batch
// (read, validate, store: TInputRecords, TRecordCheck, TRecordWriter), and
// commits the batch only when every row was sound: all rows or none. The formats of import and
// export are read and written in bank_question.h's readers and writers, lint's checks live in
// lint.h; this file reaches the tables.
#include "tools/dbadmin/db_admin.h"

#include "store/engine/dbengine.h"
#include "store/engine/engine_config.h"
#include "store/engine/utf8_text.h"
#include "tools/dbadmin/bank_question.h"
#include "tools/dbadmin/csv.h"
#include "tools/dbadmin/lint.h"
#include "tools/dbadmin/table_records.h"

#include <algorithm>
#include <cassert>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <set>
#include <sstream>

namespace {

constexpr const char* kUsage =
    "Uso: dbadmin [--alias NOME | --dir PASTA] COMANDO\n"
    "Comandos:\n"
    "  create [--missing]      cria QUESTOES.DB e FRASES.DB (nunca sobrescreve;\n"
    "                          com --missing cria só as que faltam)\n"
    "  list                    lista as tabelas com o número de registros\n"
    "  dump TABELA             escreve a tabela em CSV na saída padrão\n"
    "  load TABELA ARQUIVO.csv carrega as linhas do CSV (todas ou nenhuma)\n"
    "  check                   verifica a integridade de cada tabela\n"
    "  import [--format F] [--table T] ARQUIVO\n"
    "                          importa questões (todas ou nenhuma) em Aiken (.txt),\n"
    "                          GIFT (.gift) ou CSV (.csv); frases só em CSV\n"
    "  export [--format F] [--table T] ARQUIVO\n"
    "                          exporta todas as questões no formato do arquivo\n"
    "  lint                    aponta questões e frases repetidas ou com defeito;\n"
    "                          sai com 0 sem achados, 1 com achados, 2 com erro\n"
    "  alias get NOME          escreve a pasta do alias, como o Database Engine a lê\n"
    "  alias set NOME PASTA    grava o alias na configuração do usuário, mantendo\n"
    "                          o resto do arquivo\n"
    "F: aiken, gift ou csv (sem --format, vem da extensão); T: QUESTOES (padrão)\n"
    "ou FRASES. Sem --alias nem --dir, usa o alias Questoes.\n";

// Engine text and context lines of the last failure, each line once: the
// engine may repeat its text among the context lines, and a finding may
// span several lines of one context entry.
std::string EngineMessage(DbeResult code) {
    char text[DBE_MAXMSGLEN + 1];
    DbeGetErrorString(code, text);
    std::string out = *text ? text : "Engine error";
    char hex[16];
    std::snprintf(hex, sizeof hex, " ($%04X)", code);
    out += hex;
    std::set<std::string> seen{text};
    char entry[DBE_MAXMSGLEN + 1];
    for (uint16_t i = 0; DbeGetErrorContext(i, entry) == DBE_OK; ++i) {
        std::istringstream lines(entry);
        for (std::string line; std::getline(lines, line);)
            if (!line.empty() && seen.insert(line).second)
                out += "\n  " + line;
    }
    return out;
}

// Closes the engine on every way out.
struct TEngineSession {
    bool Started = false;
    ~TEngineSession() {
        if (Started)
            DbeExit();
    }
};

std::string TableFileName(std::string name) {
    if (name.find('.') == std::string::npos)
        name += ".DB";
    return name;
}

// What import and export act on: the format, the table and the file.
struct TTransferArgs {
    TBankFormat Format = TBankFormat::bfCsv;
    std::string Table = "QUESTOES.DB";
    std::string File;
};

// "[--format F] [--table T] FILE": what is wrong with them, or "".
std::string ParseTransfer(const std::vector<std::string>& rest, TTransferArgs& transfer) {
    std::string format;
    for (size_t k = 0; k < rest.size(); ++k) {
        bool valued = rest[k] == "--format" || rest[k] == "--table";
        if (valued && k + 1 < rest.size()) {
            (rest[k] == "--format" ? format : transfer.Table) = rest[k + 1];
            ++k;
        } else if (rest[k].rfind("--", 0) == 0 || !transfer.File.empty())
            return "argumento inesperado: " + rest[k];
        else
            transfer.File = rest[k];
    }
    if (transfer.File.empty())
        return "falta o ARQUIVO";
    transfer.Table = TableFileName(transfer.Table);
    if (!SameAscii(transfer.Table, "QUESTOES.DB") && !SameAscii(transfer.Table, "FRASES.DB"))
        return "tabela desconhecida: " + transfer.Table;
    if (format.empty()) {
        std::string ext = std::filesystem::path(transfer.File).extension().string();
        format = SameAscii(ext, ".txt")    ? "aiken"
                 : SameAscii(ext, ".gift") ? "gift"
                 : ext.empty()             ? ""
                                           : ext.substr(1);
    }
    if (SameAscii(format, "aiken"))
        transfer.Format = TBankFormat::bfAiken;
    else if (SameAscii(format, "gift"))
        transfer.Format = TBankFormat::bfGift;
    else if (SameAscii(format, "csv"))
        transfer.Format = TBankFormat::bfCsv;
    else
        return "formato desconhecido para " + transfer.File + "; use --format aiken, gift ou csv";
    if (transfer.Format != TBankFormat::bfCsv && !SameAscii(transfer.Table, "QUESTOES.DB"))
        return "a tabela " + transfer.Table + " só tem o formato CSV";
    return "";
}

// The read step of a load or an import: the records of the input file, one
// at a time. CSV is read from the file in pieces, so that a file of any
// size is held one record at a time; an Aiken or GIFT file is a bank written
// by hand and is read whole by its parser.
class TInputRecords {
public:
    TInputRecords(std::istream& in, TBankFormat format, const TTableShape& shape,
                  std::vector<TLineProblem>& problems) {
        if (format == TBankFormat::bfCsv) {
            csv_ = std::make_unique<TCsvTableReader>(in, shape);
            return;
        }
        std::string text;
        char piece[64 * 1024];
        errno = 0;
        while (in.read(piece, sizeof piece) || in.gcount() > 0)
            text.append(piece, size_t(in.gcount()));
        if (in.bad())
            readError_ = errno ? errno : EIO;
        bank_ = ReadBank(text, format, problems);
    }

    bool Next(TCsvRecord& record, std::vector<TLineProblem>& problems) {
        if (csv_)
            return csv_->Next(record, problems);
        if (next_ == bank_.size())
            return false;
        record = std::move(bank_[next_++]);
        return true;
    }

    // The errno of a failed read of the file, 0 when none failed.
    int ReadError() const { return csv_ ? csv_->ReadError() : readError_; }

private:
    std::unique_ptr<TCsvTableReader> csv_;
    std::vector<TCsvRecord> bank_;
    size_t next_ = 0;
    int readError_ = 0;
};

// The store step: appends records to the table inside the open batch, in
// file order. After the engine's first refusal it stores nothing more and
// keeps the refusal, with its line, for the report.
class TRecordWriter {
public:
    // `markSaved`: an empty Flag becomes "N", as when the window saves a
    // question.
    TRecordWriter(hDbeCur cur, const TTableShape& shape, bool markSaved)
        : cur_(cur), shape_(shape), layout_(shape), markSaved_(markSaved),
          rec_(shape.Props.iRecBufSize) {}

    void Append(const TCsvRecord& r);
    bool Failed() const { return failedLine_ != 0; }
    int FailedLine() const { return failedLine_; }
    const std::string& Failure() const { return failure_; }
    size_t Stored() const { return stored_; }

private:
    DbeResult PutFields(const TCsvRecord& r);

    hDbeCur cur_;
    const TTableShape& shape_;
    TRowLayout layout_;
    bool markSaved_;
    std::vector<unsigned char> rec_;
    size_t stored_ = 0;
    int failedLine_ = 0;
    std::string failure_;
};

DbeResult TRecordWriter::PutFields(const TCsvRecord& r) {
    DbeResult rc = DbeInitRecord(cur_, rec_.data());
    for (size_t k = 0; k < r.Fields.size() && rc == DBE_OK; ++k) {
        const DbeFldDesc& f = shape_.Fields[layout_.Field(r.Fields.size(), k)];
        const std::string& v = r.Fields[k];
        assert(v.find('\0') == std::string::npos && "the check refuses a text with a NUL");
        if (f.iFldType == DBE_FLD_STRING) {
            bool saved = markSaved_ && v.empty() && SameAscii(f.szName, "Flag");
            rc = DbePutField(cur_, f.iFldNum, rec_.data(), saved ? "N" : v.c_str());
        } else if (!v.empty()) {
            int32_t n = int32_t(std::strtol(v.c_str(), nullptr, 10));
            rc = DbePutField(cur_, f.iFldNum, rec_.data(), &n);
        }
    }
    return rc;
}

void TRecordWriter::Append(const TCsvRecord& r) {
    assert(!Failed() && "nothing is stored after a refusal");
    DbeResult rc = PutFields(r);
    if (rc == DBE_OK)
        rc = DbeSetToEnd(cur_);
    if (rc == DBE_OK)
        rc = DbeInsertRecord(cur_, dbeNOLOCK, rec_.data());
    if (rc == DBE_OK) {
        ++stored_;
        return;
    }
    failedLine_ = r.Line;
    failure_ = EngineMessage(rc);
}

// The faults found in a file: the first kShownProblems as found, past them
// only their number.
struct TFileProblems {
    static constexpr size_t kShownProblems = 1000;
    std::vector<TLineProblem> List;
    size_t More = 0;

    bool Empty() const { return List.empty(); }
    void Cap() {
        if (List.size() <= kShownProblems)
            return;
        More += List.size() - kShownProblems;
        List.resize(kShownProblems);
    }
};

// One pass over the file: each record is read, checked, and stored while
// nothing has been refused. After the first fault nothing more is stored,
// but the rest is still read and checked so that every bad line is named
// at once.
void StoreRecords(TInputRecords& input, TRecordCheck& check, TRecordWriter& writer,
                  TFileProblems& problems) {
    for (TCsvRecord r; input.Next(r, problems.List);) {
        check.Check(r, problems.List);
        if (problems.Empty() && !writer.Failed())
            writer.Append(r);
        problems.Cap();
    }
}

class TAdmin {
public:
    TAdmin(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

    int Run(const std::vector<std::string>& args);

private:
    bool OpenDatabase();
    bool OpenTable(const std::string& name, DbeOpenMode mode, hDbeCur* cur);
    bool ReadTable(const std::string& name, TTableRows& table);
    int ReadFailed(const std::string& file, int error) {
        err_ << "dbadmin: não foi possível ler o arquivo " << file << ": " << std::strerror(error)
             << "\n";
        return 1;
    }
    void ReportProblems(const std::string& file, TFileProblems& problems);
    // Commits the load's batch when the pass found nothing wrong; otherwise
    // rolls it back, says why and answers false.
    bool EndBatch(hDbeCur cur, const std::string& file, const TInputRecords& input,
                  TFileProblems& problems, const TRecordWriter& writer);
    bool WriteText(const std::string& file, const std::string& text);
    int Create(bool onlyMissing);
    int List();
    int Dump(const std::string& table);
    int Store(const std::string& table, const std::string& file, TBankFormat format,
              bool importing);
    int Export(const TTransferArgs& transfer);
    int Lint();
    int Check();
    int Alias(const std::vector<std::string>& rest);
    int Fail(const std::string& what, DbeResult code) {
        err_ << "dbadmin: " << what << ": " << EngineMessage(code) << "\n";
        return 1;
    }
    // The tables of the database; false (with a message) when the folder
    // cannot be listed.
    bool Tables(std::vector<std::string>& names);
    // False (with the engine's findings) when `name` is damaged or missing.
    bool CheckSound(const std::string& name);
    // False (with a message) when the output could not be written.
    bool Flushed();

    std::ostream& out_;
    std::ostream& err_;
    std::string alias_ = "Questoes";
    std::string dir_;
    hDbeDb db_ = nullptr;
    TEngineSession session_;
};

int TAdmin::Run(const std::vector<std::string>& args) {
    size_t i = 0;
    while (i < args.size() && args[i].rfind("--", 0) == 0 && args[i] != "--missing") {
        if ((args[i] == "--alias" || args[i] == "--dir") && i + 1 < args.size()) {
            (args[i] == "--alias" ? alias_ : dir_) = args[i + 1];
            if (args[i] == "--alias")
                dir_.clear();
            i += 2;
        } else if (args[i] == "--help") {
            out_ << kUsage;
            return 0;
        } else {
            err_ << "dbadmin: opção desconhecida ou incompleta: " << args[i] << "\n" << kUsage;
            return 2;
        }
    }
    // The engine takes a Windows path or an absolute one; a folder named
    // from the current one is made absolute here.
    std::error_code ec;
    if (!dir_.empty() && dir_.find_first_of(":\\") == std::string::npos &&
        std::filesystem::path(dir_).is_relative())
        dir_ = std::filesystem::absolute(dir_, ec).string();
    if (i >= args.size()) {
        err_ << kUsage;
        return 2;
    }
    std::string command = args[i];
    std::vector<std::string> rest(args.begin() + long(i) + 1, args.end());
    // The configuration is a file of the engine's, read and written without
    // starting it.
    if (command == "alias")
        return Alias(rest);
    TTransferArgs transfer;
    if (command == "import" || command == "export") {
        std::string wrong = ParseTransfer(rest, transfer);
        if (!wrong.empty()) {
            err_ << "dbadmin: " << command << ": " << wrong << "\n" << kUsage;
            return 2;
        }
    } else if (!((command == "create" &&
                  (rest.empty() || (rest.size() == 1 && rest[0] == "--missing"))) ||
                 (command == "list" && rest.empty()) || (command == "check" && rest.empty()) ||
                 (command == "lint" && rest.empty()) || (command == "dump" && rest.size() == 1) ||
                 (command == "load" && rest.size() == 2))) {
        err_ << "dbadmin: comando inválido: " << command << "\n" << kUsage;
        return 2;
    }
    // lint keeps 1 for "findings"; its errors are 2.
    const int failure = command == "lint" ? 2 : 1;
    DbeEnv env = {};
    std::strcpy(env.szLang, "0009");
    DbeResult rc = DbeInitFn(DBE_INTERFACE_VERSION, &env);
    if (rc != DBE_OK && rc != DBE_ERR_ALREADYINIT) {
        err_ << "dbadmin: não foi possível iniciar o Database Engine (erro $" << std::hex << rc
             << std::dec << ")\n";
        return failure;
    }
    session_.Started = rc == DBE_OK;
    if ((rc = DbeAddPassword(kTablePassword)) != DBE_OK)
        return Fail("senha", rc), failure;
    if (!OpenDatabase())
        return failure;
    if (command == "create")
        return Create(!rest.empty());
    if (command == "list")
        return List();
    if (command == "dump")
        return Dump(rest[0]);
    if (command == "load")
        return Store(rest[0], rest[1], TBankFormat::bfCsv, false);
    if (command == "import")
        return Store(transfer.Table, transfer.File, transfer.Format, true);
    if (command == "export")
        return Export(transfer);
    if (command == "lint")
        return Lint();
    return Check();
}

bool TAdmin::OpenDatabase() {
    DbeResult rc;
    if (!dir_.empty()) {
        rc = DbeOpenDatabase(nullptr, nullptr, dbeREADWRITE, dbeOPENSHARED, "", &db_);
        if (rc == DBE_OK)
            rc = DbeSetDirectory(db_, dir_.c_str());
        if (rc != DBE_OK)
            return Fail("pasta " + dir_, rc), false;
    } else {
        rc = DbeOpenDatabase(alias_.c_str(), nullptr, dbeREADWRITE, dbeOPENSHARED, "", &db_);
        if (rc != DBE_OK)
            return Fail("alias " + alias_, rc), false;
    }
    return true;
}

bool TAdmin::OpenTable(const std::string& name, DbeOpenMode mode, hDbeCur* cur) {
    DbeResult rc = DbeOpenTable(db_, name.c_str(), "NATIVE", nullptr, mode, dbeOPENSHARED, 1, cur);
    if (rc == DBE_ERR_TABLEREADONLY && mode == dbeREADONLY)
        rc = DbeOpenTable(db_, name.c_str(), "NATIVE", nullptr, dbeREADONLY, dbeOPENSHARED, 1, cur);
    if (rc != DBE_OK) {
        Fail("tabela " + name, rc);
        return false;
    }
    return true;
}

std::string DirectoryOf(hDbeDb db) {
    char dir[DBE_MAXPATHLEN + 1] = "";
    DbeGetDirectory(db, dir, sizeof dir);
    return dir;
}

int TAdmin::Create(bool onlyMissing) {
    static const DbeFieldDef questionFields[7] = {
        {"Codigo", DBE_FLD_AUTOINC, 0},  {"Questao", DBE_FLD_STRING, 250},
        {"Resp_A", DBE_FLD_STRING, 250}, {"Resp_B", DBE_FLD_STRING, 250},
        {"Resp_C", DBE_FLD_STRING, 250}, {"Correta", DBE_FLD_STRING, 1},
        {"Flag", DBE_FLD_STRING, 1}};
    static const DbeFieldDef phraseFields[2] = {{"Correta", DBE_FLD_STRING, 100},
                                                {"Errada", DBE_FLD_STRING, 100}};
    // The questions carry a secondary index on their text.
    const DbeTableDesc tables[2] = {{"QUESTOES.DB", 7, questionFields, 1, 2, kTablePassword},
                                    {"FRASES.DB", 2, phraseFields, 0, 0, kTablePassword}};
    int status = 0;
    std::string dir = DirectoryOf(db_);
    for (const DbeTableDesc& t : tables) {
        DbeResult rc = DbeCreateTable(db_, &t);
        if (rc == DBE_OK) {
            out_ << "Tabela " << t.szTblName << " criada em " << DirectoryOf(db_) << "\n";
        } else if (rc == DBE_ERR_TABLEEXISTS) {
            if (onlyMissing) {
                out_ << "Tabela " << t.szTblName << " já existe em " << dir << "; mantida.\n";
            } else {
                err_ << "dbadmin: a tabela " << t.szTblName << " já existe em " << dir
                     << "; nada foi sobrescrito.\n";
                status = 1;
            }
        } else {
            Fail("criar " + std::string(t.szTblName), rc);
            status = 1;
        }
    }
    return status;
}

bool TAdmin::Tables(std::vector<std::string>& names) {
    std::vector<char> list(1 << 16);
    DbeResult rc;
    while ((rc = DbeListTables(db_, list.data(), list.size())) == DBE_ERR_BUFTOOSMALL)
        list.resize(list.size() * 4);
    if (rc != DBE_OK)
        return Fail("pasta " + DirectoryOf(db_), rc), false;
    std::istringstream in(list.data());
    for (std::string name; std::getline(in, name);)
        if (!name.empty())
            names.push_back(name);
    return true;
}

bool TAdmin::CheckSound(const std::string& name) {
    DbeResult rc = DbeCheckTable(db_, name.c_str());
    if (rc != DBE_OK)
        return Fail("tabela " + name, rc), false;
    return true;
}

// A damaged table is named as an error rather than counted: the count of
// a damaged file may come from its index alone and look sound.
int TAdmin::List() {
    std::vector<std::string> names;
    if (!Tables(names))
        return 1;
    if (names.empty()) {
        out_ << "Nenhuma tabela em " << DirectoryOf(db_) << "\n";
        return 0;
    }
    int status = 0;
    for (const std::string& name : names) {
        hDbeCur cur = nullptr;
        if (!CheckSound(name) || !OpenTable(name, dbeREADONLY, &cur)) {
            status = 1;
            continue;
        }
        uint32_t count = 0;
        DbeResult rc = DbeGetExactRecordCount(cur, &count);
        if (rc == DBE_OK)
            out_ << name << "\t" << count << (count == 1 ? " registro" : " registros") << "\n";
        else
            status = Fail("tabela " + name, rc);
        DbeCloseCursor(&cur);
    }
    return Flushed() ? status : 1;
}

// A damaged table is refused before it is read: a read may come through
// a damaged page with records missing or wrong and no error.
bool TAdmin::ReadTable(const std::string& name, TTableRows& table) {
    hDbeCur cur = nullptr;
    if (!CheckSound(name) || !OpenTable(name, dbeREADONLY, &cur))
        return false;
    TTableShape shape;
    if (!Describe(cur, shape)) {
        DbeResult code = 0;
        DbeGetLastError(&code);
        DbeCloseCursor(&cur);
        return Fail("tabela " + name, code), false;
    }
    for (const DbeFldDesc& f : shape.Fields)
        table.Header.push_back(f.szName);
    std::vector<unsigned char> rec(shape.Props.iRecBufSize);
    std::vector<char> value(16 * 1024 + 1);
    DbeResult rc;
    while ((rc = DbeGetNextRecord(cur, dbeNOLOCK, rec.data(), nullptr)) == DBE_OK) {
        std::vector<std::string> fields;
        for (const DbeFldDesc& f : shape.Fields) {
            int16_t blank = 0;
            if (f.iFldType == DBE_FLD_STRING) {
                rc = DbeGetField(cur, f.iFldNum, rec.data(), value.data(), value.size(), &blank);
                fields.push_back(rc == DBE_OK ? value.data() : "");
            } else {
                int32_t v = 0;
                rc = DbeGetField(cur, f.iFldNum, rec.data(), &v, sizeof v, &blank);
                fields.push_back(rc == DBE_OK && !blank ? std::to_string(v) : "");
            }
            if (rc != DBE_OK)
                break;
        }
        if (rc != DBE_OK)
            break;
        table.Rows.push_back(std::move(fields));
    }
    DbeCloseCursor(&cur);
    if (rc != DBE_ERR_EOF)
        return Fail("ler " + name, rc), false;
    return true;
}

int TAdmin::Dump(const std::string& table) {
    TTableRows rows;
    if (!ReadTable(TableFileName(table), rows))
        return 1;
    out_ << TableCsv(rows);
    return Flushed() ? 0 : 1;
}

bool TAdmin::Flushed() {
    if (out_.flush())
        return true;
    err_ << "dbadmin: não foi possível escrever na saída padrão\n";
    return false;
}

// Written beside the target and renamed over it, so that a failed write
// leaves no half file under the name asked for.
bool TAdmin::WriteText(const std::string& file, const std::string& text) {
    std::filesystem::path target(file);
    std::filesystem::path temp = target;
    temp += ".dbadmin-tmp";
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (out)
        out.write(text.data(), std::streamsize(text.size()));
    out.close();
    std::error_code ec;
    if (out)
        std::filesystem::rename(temp, target, ec);
    if (!out || ec) {
        std::string why = ec ? ec.message() : std::strerror(errno);
        std::filesystem::remove(temp, ec);
        err_ << "dbadmin: não foi possível gravar o arquivo " << file << ": " << why << "\n";
        return false;
    }
    return true;
}

void TAdmin::ReportProblems(const std::string& file, TFileProblems& problems) {
    std::stable_sort(problems.List.begin(), problems.List.end(),
                     [](const TLineProblem& a, const TLineProblem& b) { return a.Line < b.Line; });
    err_ << "dbadmin: " << file << ": nenhum registro foi carregado; linhas com problema:\n";
    for (const TLineProblem& p : problems.List)
        err_ << "  linha " << p.Line << ": " << p.Message << "\n";
    if (problems.More)
        err_ << "  ... e mais " << problems.More
             << (problems.More == 1 ? " problema\n" : " problemas\n");
}

bool TAdmin::EndBatch(hDbeCur cur, const std::string& file, const TInputRecords& input,
                      TFileProblems& problems, const TRecordWriter& writer) {
    DbeResult rc = DBE_OK;
    if (!input.ReadError() && problems.Empty() && !writer.Failed() &&
        (rc = DbeCommitBatch(cur)) == DBE_OK)
        return true;
    std::string message = rc != DBE_OK ? EngineMessage(rc) : "";
    DbeRollbackBatch(cur);
    if (int error = input.ReadError())
        ReadFailed(file, error);
    else if (!problems.Empty())
        ReportProblems(file, problems);
    else if (writer.Failed())
        err_ << "dbadmin: " << file << ": linha " << writer.FailedLine() << ": " << writer.Failure()
             << "\nnenhum registro foi carregado.\n";
    else
        err_ << "dbadmin: " << file << ": " << message << "\nnenhum registro foi carregado.\n";
    return false;
}

// Reads, checks and stores the file's records in one pass inside one batch,
// committed only when the whole file was sound: a refused file leaves the
// table as it was.
int TAdmin::Store(const std::string& table, const std::string& file, TBankFormat format,
                  bool importing) {
    std::string name = TableFileName(table);
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return ReadFailed(file, errno);
    hDbeCur cur = nullptr;
    if (!CheckSound(name) || !OpenTable(name, dbeREADWRITE, &cur))
        return 1;
    struct TCloser {
        hDbeCur& Cur;
        ~TCloser() { DbeCloseCursor(&Cur); }
    } closer{cur};
    TTableShape shape;
    if (!Describe(cur, shape))
        return Fail("tabela " + name, DBE_ERR_IO);
    bool questions = SameAscii(name, "QUESTOES.DB");

    TFileProblems problems;
    TInputRecords input(in, format, shape, problems.List);
    TRecordCheck check(shape, questions, importing);
    TRecordWriter writer(cur, shape, importing && questions);
    if (DbeResult rc = DbeBeginBatch(cur); rc != DBE_OK)
        return Fail("carregar " + name, rc);
    StoreRecords(input, check, writer, problems);
    if (!EndBatch(cur, file, input, problems, writer))
        return 1;
    size_t stored = writer.Stored();
    const char* done =
        importing ? (stored == 1 ? " registro importado em " : " registros importados em ")
                  : (stored == 1 ? " registro carregado em " : " registros carregados em ");
    // The records are stored: a lost report of it is no failure of the load.
    out_ << stored << done << name << "\n";
    return 0;
}

// Columns of the questions table, in the order of TLintQuestion's fields.
constexpr const char* kQuestionColumns[] = {"Codigo", "Questao", "Resp_A",
                                            "Resp_B", "Resp_C",  "Correta"};

// Where each of `names` stands in `table`'s header; false (with a message)
// when one is missing.
bool FindColumns(const TTableRows& table, const char* const* names, size_t count,
                 std::vector<size_t>& columns, std::ostream& err) {
    for (size_t k = 0; k < count; ++k) {
        auto it = std::find_if(table.Header.begin(), table.Header.end(),
                               [&](const std::string& h) { return SameAscii(h, names[k]); });
        if (it == table.Header.end()) {
            err << "dbadmin: a tabela não tem o campo " << names[k] << "\n";
            return false;
        }
        columns.push_back(size_t(it - table.Header.begin()));
    }
    return true;
}

int TAdmin::Export(const TTransferArgs& transfer) {
    TTableRows table;
    if (!ReadTable(transfer.Table, table))
        return 1;
    std::string text;
    if (transfer.Format == TBankFormat::bfCsv) {
        text = TableCsv(table);
    } else {
        std::vector<size_t> c;
        if (!FindColumns(table, kQuestionColumns, std::size(kQuestionColumns), c, err_))
            return 1;
        std::vector<TBankQuestion> questions;
        for (const std::vector<std::string>& row : table.Rows) {
            TBankQuestion q;
            q.Codigo = std::strtol(row[c[0]].c_str(), nullptr, 10);
            q.Questao = row[c[1]];
            q.Options = {row[c[2]], row[c[3]], row[c[4]]};
            q.Correta = row[c[5]];
            questions.push_back(std::move(q));
        }
        std::vector<std::string> problems;
        text = WriteBank(questions, transfer.Format, problems);
        if (!problems.empty()) {
            err_ << "dbadmin: nada foi exportado: o formato "
                 << (transfer.Format == TBankFormat::bfAiken ? "Aiken" : "GIFT")
                 << " não guarda estas questões como estão (o CSV guarda tudo):\n";
            for (const std::string& p : problems)
                err_ << "  " << p << "\n";
            return 1;
        }
    }
    if (!WriteText(transfer.File, text))
        return 1;
    out_ << table.Rows.size()
         << (table.Rows.size() == 1 ? " registro exportado de " : " registros exportados de ")
         << transfer.Table << " para " << transfer.File << "\n";
    return 0;
}

int TAdmin::Lint() {
    TTableRows questionRows, phraseRows;
    if (!ReadTable("QUESTOES.DB", questionRows) || !ReadTable("FRASES.DB", phraseRows))
        return 2;
    std::vector<size_t> c, p;
    static const char* const kPhraseColumns[] = {"Correta", "Errada"};
    if (!FindColumns(questionRows, kQuestionColumns, std::size(kQuestionColumns), c, err_) ||
        !FindColumns(phraseRows, kPhraseColumns, std::size(kPhraseColumns), p, err_))
        return 2;
    std::vector<TLintQuestion> questions;
    for (const std::vector<std::string>& row : questionRows.Rows)
        questions.push_back({std::strtol(row[c[0]].c_str(), nullptr, 10),
                             row[c[1]],
                             {row[c[2]], row[c[3]], row[c[4]]},
                             row[c[5]]});
    std::vector<TLintPhrase> phrases;
    for (const std::vector<std::string>& row : phraseRows.Rows)
        phrases.push_back({long(phrases.size() + 1), row[p[0]], row[p[1]]});
    TLintReport report = LintBank(questions, phrases);
    for (const std::string& finding : report.Findings)
        out_ << finding << "\n";
    out_ << report.Summary << "\n";
    if (!Flushed())
        return 2;
    return report.Findings.empty() ? 0 : 1;
}

int TAdmin::Check() {
    std::vector<std::string> names;
    if (!Tables(names))
        return 1;
    if (names.empty()) {
        err_ << "dbadmin: nenhuma tabela em " << DirectoryOf(db_) << "\n";
        return 1;
    }
    int status = 0;
    for (const std::string& name : names) {
        DbeResult rc = DbeCheckTable(db_, name.c_str());
        if (rc == DBE_OK) {
            out_ << name << ": ok\n";
        } else {
            out_ << name << ": com problemas\n";
            status = Fail("tabela " + name, rc);
        }
    }
    return Flushed() ? status : 1;
}

int TAdmin::Alias(const std::vector<std::string>& rest) {
    bool get = rest.size() == 2 && rest[0] == "get";
    bool set = rest.size() == 3 && rest[0] == "set";
    if (!get && !set) {
        err_ << "dbadmin: alias: use alias get NOME ou alias set NOME PASTA\n" << kUsage;
        return 2;
    }
    const std::string& name = rest[1];
    if (get) {
        if (std::optional<std::string> dir = LookUpAlias(name, "")) {
            out_ << *dir << "\n";
            return Flushed() ? 0 : 1;
        }
        err_ << "dbadmin: o alias " << name << " não está configurado; procurado em:";
        for (const std::string& file : EngineConfigFiles(""))
            err_ << " " << file;
        err_ << "\n";
        return 1;
    }
    std::string file = WritableEngineConfigFile("");
    std::string why;
    if (!WriteAlias(file, name, rest[2], why)) {
        err_ << "dbadmin: não foi possível gravar o alias " << name << ": " << why << "\n";
        return 1;
    }
    out_ << "Alias " << name << " -> " << rest[2] << " gravado em " << file << "\n";
    return 0;
}

} // namespace

int RunDbAdmin(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    TAdmin admin(out, err);
    return admin.Run(args);
}
