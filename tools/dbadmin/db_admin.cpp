// dbadmin's commands over the engine's C interface.
//
//   dbadmin [--alias NAME | --dir PATH] create [--missing]
//   dbadmin [--alias NAME | --dir PATH] list
//   dbadmin [--alias NAME | --dir PATH] dump TABLE
//   dbadmin [--alias NAME | --dir PATH] load TABLE FILE.csv
//   dbadmin [--alias NAME | --dir PATH] check
//
// Without --alias or --dir the database is the alias "Questoes". A load
// checks every row before it stores anything, and stores all rows in one
// batch or none.
#include "tools/dbadmin/db_admin.h"

#include "store/engine/dbengine.h"
#include "store/engine/utf8_text.h"
#include "tools/dbadmin/csv.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstring>
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
    "Sem --alias nem --dir, usa o alias Questoes.\n";

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

bool SameAscii(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

class TAdmin {
public:
    TAdmin(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

    int Run(const std::vector<std::string>& args);

private:
    bool OpenDatabase();
    bool OpenTable(const std::string& name, DbeOpenMode mode, hDbeCur* cur);
    int Create(bool onlyMissing);
    int List();
    int Dump(const std::string& table);
    int Load(const std::string& table, const std::string& file);
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
    bool known =
        (command == "create" && (rest.empty() || (rest.size() == 1 && rest[0] == "--missing"))) ||
        (command == "list" && rest.empty()) || (command == "check" && rest.empty()) ||
        (command == "dump" && rest.size() == 1) || (command == "load" && rest.size() == 2);
    if (!known) {
        err_ << "dbadmin: comando inválido: " << command << "\n" << kUsage;
        return 2;
    }
    DbeEnv env = {};
    std::strcpy(env.szLang, "0009");
    DbeResult rc = DbeInitFn(DBE_INTERFACE_VERSION, &env);
    if (rc != DBE_OK && rc != DBE_ERR_ALREADYINIT) {
        err_ << "dbadmin: não foi possível iniciar o Database Engine (erro $" << std::hex << rc
             << std::dec << ")\n";
        return 1;
    }
    session_.Started = rc == DBE_OK;
    if ((rc = DbeAddPassword(kTablePassword)) != DBE_OK)
        return Fail("senha", rc);
    if (!OpenDatabase())
        return 1;
    if (command == "create")
        return Create(!rest.empty());
    if (command == "list")
        return List();
    if (command == "dump")
        return Dump(rest[0]);
    if (command == "load")
        return Load(rest[0], rest[1]);
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

struct TTableShape {
    DbeCurProps Props;
    std::vector<DbeFldDesc> Fields;
};

bool Describe(hDbeCur cur, TTableShape& shape) {
    if (DbeGetCursorProps(cur, &shape.Props) != DBE_OK)
        return false;
    shape.Fields.resize(shape.Props.iFields);
    return DbeGetFieldDescs(cur, shape.Fields.data()) == DBE_OK;
}

int TAdmin::Dump(const std::string& table) {
    std::string name = TableFileName(table);
    hDbeCur cur = nullptr;
    if (!OpenTable(name, dbeREADONLY, &cur))
        return 1;
    TTableShape shape;
    if (!Describe(cur, shape)) {
        DbeResult code = 0;
        DbeGetLastError(&code);
        return Fail("tabela " + name, code);
    }
    std::vector<std::string> header;
    for (const DbeFldDesc& f : shape.Fields)
        header.push_back(f.szName);
    std::string text = CsvRecord(header);
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
        text += CsvRecord(fields);
    }
    if (rc != DBE_ERR_EOF) {
        DbeCloseCursor(&cur);
        return Fail("ler " + name, rc);
    }
    DbeCloseCursor(&cur);
    out_ << text;
    out_.flush();
    return out_ ? 0 : 1;
}

int TAdmin::Load(const std::string& table, const std::string& file) {
    std::string name = TableFileName(table);
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        err_ << "dbadmin: não foi possível ler o arquivo " << file << ": " << std::strerror(errno)
             << "\n";
        return 1;
    }
    std::ostringstream content;
    content << in.rdbuf();
    std::string text = content.str();

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

    std::vector<TCsvProblem> problems;
    std::vector<TCsvRecord> records = ParseCsv(text, problems);
    // Fields expected in each row: all of them, or all but the autoincrement
    // (which the engine then assigns).
    size_t all = shape.Fields.size();
    size_t withoutAuto = all;
    int autoField = -1;
    for (size_t k = 0; k < all; ++k)
        if (shape.Fields[k].iFldType == DBE_FLD_AUTOINC)
            autoField = int(k), withoutAuto = all - 1;
    if (!records.empty()) {
        const auto& first = records.front().Fields;
        bool isHeader = first.size() == all || first.size() == withoutAuto;
        for (size_t k = 0; isHeader && k < first.size(); ++k) {
            size_t field = first.size() == all || int(k) < autoField ? k : k + 1;
            isHeader = SameAscii(first[k], shape.Fields[field].szName);
        }
        if (isHeader)
            records.erase(records.begin());
    }
    std::set<long> codes;
    for (const TCsvRecord& r : records) {
        auto bad = [&](const std::string& why) { problems.push_back({r.Line, why}); };
        if (r.Fields.size() != all && r.Fields.size() != withoutAuto) {
            bad(std::to_string(r.Fields.size()) + " campos; esperados " + std::to_string(all) +
                (withoutAuto != all ? " ou " + std::to_string(withoutAuto) : ""));
            continue;
        }
        for (size_t k = 0; k < r.Fields.size(); ++k) {
            size_t field = r.Fields.size() == all || int(k) < autoField ? k : k + 1;
            const DbeFldDesc& f = shape.Fields[field];
            const std::string& v = r.Fields[k];
            if (!IsValidUtf8(v)) {
                bad(std::string("campo ") + f.szName + ": o texto não está em UTF-8");
            } else if (f.iFldType == DBE_FLD_STRING && CountCharacters(v) > f.iUnits1) {
                bad(std::string("campo ") + f.szName + ": " + std::to_string(CountCharacters(v)) +
                    " caracteres; o máximo é " + std::to_string(f.iUnits1));
            } else if (f.iFldType != DBE_FLD_STRING && !v.empty()) {
                char* end = nullptr;
                errno = 0;
                long n = std::strtol(v.c_str(), &end, 10);
                if (errno || *end || n < (f.iFldType == DBE_FLD_AUTOINC ? 1 : INT32_MIN) ||
                    n > INT32_MAX)
                    bad(std::string("campo ") + f.szName + ": número inválido: " + v);
                else if (f.iFldType == DBE_FLD_AUTOINC && !codes.insert(n).second)
                    bad(std::string("campo ") + f.szName + ": número repetido: " + v);
            }
            if (questions && SameAscii(f.szName, "Correta") && v != "A" && v != "B" && v != "C")
                bad("campo Correta: deve ser A, B ou C (encontrado \"" + v + "\")");
        }
    }
    if (!problems.empty()) {
        std::stable_sort(
            problems.begin(), problems.end(),
            [](const TCsvProblem& a, const TCsvProblem& b) { return a.Line < b.Line; });
        err_ << "dbadmin: " << file << ": nenhum registro foi carregado; linhas com problema:\n";
        for (const TCsvProblem& p : problems)
            err_ << "  linha " << p.Line << ": " << p.Message << "\n";
        return 1;
    }

    DbeResult rc = DbeBeginBatch(cur);
    if (rc != DBE_OK)
        return Fail("carregar " + name, rc);
    std::vector<unsigned char> rec(shape.Props.iRecBufSize);
    for (const TCsvRecord& r : records) {
        DbeInitRecord(cur, rec.data());
        for (size_t k = 0; k < r.Fields.size() && rc == DBE_OK; ++k) {
            size_t field = r.Fields.size() == all || int(k) < autoField ? k : k + 1;
            const DbeFldDesc& f = shape.Fields[field];
            const std::string& v = r.Fields[k];
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
    out_ << records.size()
         << (records.size() == 1 ? " registro carregado em " : " registros carregados em ") << name
         << "\n";
    return 0;
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
