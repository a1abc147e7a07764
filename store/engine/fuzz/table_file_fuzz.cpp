// Fuzz target: opening arbitrary bytes as a table, walking it and checking
// it must answer with result codes, never crash or hang.
#include "store/engine/dbengine.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct TFuzzEngine {
    std::string Dir;
    hDbeDb Db = nullptr;
    TFuzzEngine() {
        char tmpl[] = "/tmp/table-file-fuzz-XXXXXX";
        if (!mkdtemp(tmpl))
            std::abort();
        Dir = tmpl;
        DbeEnv env = {};
        DbeInitFn(DBE_INTERFACE_VERSION, &env);
        DbeAddPassword("marmelada");
        DbeOpenDatabase(nullptr, nullptr, dbeREADWRITE, dbeOPENSHARED, "", &Db);
        DbeSetDirectory(Db, Dir.c_str());
    }
    ~TFuzzEngine() {
        DbeExit();
        for (const char* name : {"/FUZZ.DB", "/FUZZ.DB-journal", "/FUZZ.DB-wal", "/FUZZ.DB-shm",
                                 "/FUZZ.DB.lck", "/FUZZ.DB.damaged"})
            unlink((Dir + name).c_str());
        rmdir(Dir.c_str());
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TFuzzEngine engine;
    std::string path = engine.Dir + "/FUZZ.DB";
    // Nothing of the previous input may carry over (a header can ask for WAL).
    for (const char* side : {"-journal", "-wal", "-shm"})
        unlink((path + side).c_str());
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    hDbeCur cur = nullptr;
    if (DbeOpenTable(engine.Db, "FUZZ.DB", "NATIVE", nullptr, dbeREADONLY, dbeOPENSHARED, 1,
                     &cur) == DBE_OK) {
        DbeCurProps props;
        if (DbeGetCursorProps(cur, &props) == DBE_OK) {
            std::vector<unsigned char> rec(props.iRecBufSize);
            std::vector<DbeFldDesc> fields(props.iFields);
            DbeGetFieldDescs(cur, fields.data());
            std::vector<char> value(16 * 1024 + 1);
            for (int n = 0;
                 n < 1000 && DbeGetNextRecord(cur, dbeNOLOCK, rec.data(), nullptr) == DBE_OK; ++n)
                for (const DbeFldDesc& fd : fields)
                    DbeGetField(cur, fd.iFldNum, rec.data(), value.data(), value.size(), nullptr);
            DbeSetToEnd(cur);
            DbeGetPriorRecord(cur, dbeNOLOCK, rec.data(), nullptr);
            uint32_t count;
            DbeGetExactRecordCount(cur, &count);
        }
        DbeCloseCursor(&cur);
    }
    DbeCheckTable(engine.Db, "FUZZ.DB");
    return 0;
}
