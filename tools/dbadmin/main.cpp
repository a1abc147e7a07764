// dbadmin: command-line administration of the question and phrase tables.
#include "tools/dbadmin/db_admin.h"

#include <iostream>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return RunDbAdmin(args, std::cout, std::cerr);
}
