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
//
// Without --alias or --dir the database is the alias "Questoes". A load or
// an import checks every row before it stores anything, and stores all rows
// in one batch or none. The formats of import and export are read and
// written in bank_question.h's readers and writers, lint's checks live in
// lint.h; this file reaches the tables.
#include "tools/dbadmin/db_admin.h"

#include "store/engine/dbengine.h"
#include "store/engine/utf8_text.h"
#include "tools/dbadmin/bank_question.h"
#include "tools/dbadmin/csv.h"
#include "tools/dbadmin/lint.h"
#include "tools/dbadmin/table_records.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
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
    "F: aiken, gift ou csv (sem --format, vem da extensão); T: QUESTOES (padrão)\n"
    "ou FRASES. Sem --alias nem --dir, usa o alias Questoes.\n";

// Engine text and context lines of the last failure.
std::string EngineMessage(DbeResult code) {
    char text[DBE_MAXMSGLEN + 1];
    DbeGetErrorString(code, text);
    std::string out = *text ? text : "Engine error";
    char hex[16];
    std::snprintf(hex, sizeof hex, " ($%04X)", code);
    out += hex;
    char line[DBE_MAXMSGLEN + 1];
    for (uint16_t i = 0; DbeGetErrorContext(i, line) == DBE_OK; ++i)
        out += std::string("\n  ") + line;
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

class TAdmin {
public:
    TAdmin(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

    int Run(const std::vector<std::string>& args);

private:
    bool OpenDatabase();
    bool OpenTable(const std::string& name, DbeOpenMode mode, hDbeCur* cur);
    bool ReadTable(const std::string& name, TTableRows& table);
    bool ReadText(const std::string& file, std::string& text);
    bool WriteText(const std::string& file, const std::string& text);
    int Create(bool onlyMissing);
    int List();
    int Dump(const std::string& table);
    int Store(const std::string& table, const std::string& file, TBankFormat format,
              bool importing);
    int Export(const TTransferArgs& transfer);
    int Lint();
    int Check();
    int Fail(const std::string& what, DbeResult code) {
        err_ << "dbadmin: " << what << ": " << EngineMessage(code) << "\n";
        return 1;
    }
    std::vector<std::string> Tables();

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
    if (i >= args.size()) {
        err_ << kUsage;
        return 2;
    }
    std::string command = args[i];
    std::vector<std::string> rest(args.begin() + long(i) + 1, args.end());
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

std::vector<std::string> TAdmin::Tables() {
    std::vector<char> list(1 << 16);
    DbeResult rc;
    while ((rc = DbeListTables(db_, list.data(), list.size())) == DBE_ERR_BUFTOOSMALL)
        list.resize(list.size() * 4);
    std::vector<std::string> names;
    if (rc != DBE_OK) {
        Fail("pasta " + DirectoryOf(db_), rc);
        return names;
    }
    std::istringstream in(list.data());
    for (std::string name; std::getline(in, name);)
        if (!name.empty())
            names.push_back(name);
    return names;
}

int TAdmin::List() {
    std::vector<std::string> names = Tables();
    if (names.empty()) {
        out_ << "Nenhuma tabela em " << DirectoryOf(db_) << "\n";
        return 0;
    }
    int status = 0;
    for (const std::string& name : names) {
        hDbeCur cur = nullptr;
        if (!OpenTable(name, dbeREADONLY, &cur)) {
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
    return status;
}

bool TAdmin::ReadTable(const std::string& name, TTableRows& table) {
    hDbeCur cur = nullptr;
    if (!OpenTable(name, dbeREADONLY, &cur))
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
    out_.flush();
    return out_ ? 0 : 1;
}

bool TAdmin::ReadText(const std::string& file, std::string& text) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        err_ << "dbadmin: não foi possível ler o arquivo " << file << ": " << std::strerror(errno)
             << "\n";
        return false;
    }
    std::ostringstream content;
    content << in.rdbuf();
    text = content.str();
    return true;
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

int TAdmin::Store(const std::string& table, const std::string& file, TBankFormat format,
                  bool importing) {
    std::string name = TableFileName(table);
    std::string text;
    if (!ReadText(file, text))
        return 1;
    hDbeCur cur = nullptr;
    if (!OpenTable(name, dbeREADWRITE, &cur))
        return 1;
    struct TCloser {
        hDbeCur& Cur;
        ~TCloser() { DbeCloseCursor(&Cur); }
    } closer{cur};
    TTableShape shape;
    if (!Describe(cur, shape))
        return Fail("tabela " + name, DBE_ERR_IO);
    bool questions = SameAscii(name, "QUESTOES.DB");

    std::vector<TLineProblem> problems;
    std::vector<TCsvRecord> records = format == TBankFormat::bfCsv
                                          ? CsvRecords(text, shape, problems)
                                          : ReadBank(text, format, problems);
    CheckRecords(shape, records, questions, importing, problems);
    if (!problems.empty()) {
        std::stable_sort(
            problems.begin(), problems.end(),
            [](const TLineProblem& a, const TLineProblem& b) { return a.Line < b.Line; });
        err_ << "dbadmin: " << file << ": nenhum registro foi carregado; linhas com problema:\n";
        for (const TLineProblem& p : problems)
            err_ << "  linha " << p.Line << ": " << p.Message << "\n";
        return 1;
    }

    DbeResult rc = DbeBeginBatch(cur);
    if (rc != DBE_OK)
        return Fail("carregar " + name, rc);
    TRowLayout layout(shape);
    std::vector<unsigned char> rec(shape.Props.iRecBufSize);
    for (const TCsvRecord& r : records) {
        DbeInitRecord(cur, rec.data());
        for (size_t k = 0; k < r.Fields.size() && rc == DBE_OK; ++k) {
            const DbeFldDesc& f = shape.Fields[layout.Field(r.Fields.size(), k)];
            std::string v = r.Fields[k];
            // An imported question is marked as one saved in the window.
            if (importing && questions && v.empty() && SameAscii(f.szName, "Flag"))
                v = "N";
            if (f.iFldType == DBE_FLD_STRING) {
                rc = DbePutField(cur, f.iFldNum, rec.data(), v.c_str());
            } else if (!v.empty()) {
                int32_t n = int32_t(std::strtol(v.c_str(), nullptr, 10));
                rc = DbePutField(cur, f.iFldNum, rec.data(), &n);
            }
        }
        // Appended in file order.
        if (rc == DBE_OK)
            rc = DbeSetToEnd(cur);
        if (rc == DBE_OK)
            rc = DbeInsertRecord(cur, dbeNOLOCK, rec.data());
        if (rc != DBE_OK) {
            std::string message = EngineMessage(rc);
            DbeRollbackBatch(cur);
            err_ << "dbadmin: " << file << ": linha " << r.Line << ": " << message
                 << "\nnenhum registro foi carregado.\n";
            return 1;
        }
    }
    if ((rc = DbeCommitBatch(cur)) != DBE_OK) {
        std::string message = EngineMessage(rc);
        DbeRollbackBatch(cur);
        err_ << "dbadmin: " << file << ": " << message << "\nnenhum registro foi carregado.\n";
        return 1;
    }
    const char* done =
        importing ? (records.size() == 1 ? " registro importado em " : " registros importados em ")
                  : (records.size() == 1 ? " registro carregado em " : " registros carregados em ");
    out_ << records.size() << done << name << "\n";
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
    out_.flush();
    if (!out_)
        return 2;
    return report.Findings.empty() ? 0 : 1;
}

int TAdmin::Check() {
    std::vector<std::string> names = Tables();
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
    return status;
}

} // namespace

int RunDbAdmin(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    TAdmin admin(out, err);
    return admin.Run(args);
}
