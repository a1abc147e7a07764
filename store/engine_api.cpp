#include "store/engine_api.h"

#include "platform/library.h"

namespace {
template <class Fn> bool Lookup(void* module, const char* name, Fn& entry, const char** missing) {
    entry = reinterpret_cast<Fn>(GetProcAddress(static_cast<HMODULE>(module), name));
    if (entry)
        return true;
    if (missing)
        *missing = name;
    return false;
}
} // namespace

bool TEngineApi::Resolve(void* module, const char** missing) {
    return Lookup(module, "DbeInitFn", InitFn, missing) &&
           Lookup(module, "DbeExit", Exit, missing) &&
           Lookup(module, "DbeGetCurrSession", GetCurrSession, missing) &&
           Lookup(module, "DbeAddPassword", AddPassword, missing) &&
           Lookup(module, "DbeOpenDatabase", OpenDatabase, missing) &&
           Lookup(module, "DbeSetDirectory", SetDirectory, missing) &&
           Lookup(module, "DbeCloseDatabase", CloseDatabase, missing) &&
           Lookup(module, "DbeOpenTable", OpenTable, missing) &&
           Lookup(module, "DbeGetCursorProps", GetCursorProps, missing) &&
           Lookup(module, "DbeGetFieldDescs", GetFieldDescs, missing) &&
           Lookup(module, "DbeSetToBegin", SetToBegin, missing) &&
           Lookup(module, "DbeSetToEnd", SetToEnd, missing) &&
           Lookup(module, "DbeGetRecord", GetRecord, missing) &&
           Lookup(module, "DbeGetNextRecord", GetNextRecord, missing) &&
           Lookup(module, "DbeGetPriorRecord", GetPriorRecord, missing) &&
           Lookup(module, "DbeGetBookMark", GetBookMark, missing) &&
           Lookup(module, "DbeSetToBookMark", SetToBookMark, missing) &&
           Lookup(module, "DbeInitRecord", InitRecord, missing) &&
           Lookup(module, "DbeGetField", GetField, missing) &&
           Lookup(module, "DbePutField", PutField, missing) &&
           Lookup(module, "DbeInsertRecord", InsertRecord, missing) &&
           Lookup(module, "DbeModifyRecord", ModifyRecord, missing) &&
           Lookup(module, "DbeDeleteRecord", DeleteRecord, missing) &&
           Lookup(module, "DbeRelRecordLock", RelRecordLock, missing) &&
           Lookup(module, "DbeMakeGap", MakeGap, missing) &&
           Lookup(module, "DbeGetExactRecordCount", GetExactRecordCount, missing) &&
           Lookup(module, "DbeGetRecordCount", GetRecordCount, missing) &&
           Lookup(module, "DbeCloseCursor", CloseCursor, missing) &&
           Lookup(module, "DbeGetErrorString", GetErrorString, missing) &&
           Lookup(module, "DbeGetErrorContext", GetErrorContext, missing);
}
