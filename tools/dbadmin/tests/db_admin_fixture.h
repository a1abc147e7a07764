// The set-up every dbadmin test shares: a private folder reached through a
// private alias configuration, and dbadmin run in-process on it.
#pragma once

#include "tools/dbadmin/db_admin.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

struct TResult {
    int Status;
    std::string Out;
    std::string Err;
};

class DbAdminTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (fs::temp_directory_path() / "dbadmin-test-XXXXXX").string();
        ASSERT_NE(nullptr, mkdtemp(tmpl.data()));
        root_ = tmpl;
        data_ = root_ / "dados";
        fs::create_directories(root_ / "config" / "questoes");
        setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
        setenv("XDG_DATA_HOME", (root_ / "share").c_str(), 1);
        std::ofstream(root_ / "config" / "questoes" / "dbengine.conf")
            << "[Aliases]\nQuestoes=" << data_.string() << "\n";
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    TResult Run(std::vector<std::string> args) {
        std::ostringstream out, err;
        int status = RunDbAdmin(args, out, err);
        return {status, out.str(), err.str()};
    }

    fs::path Write(const std::string& name, const std::string& text) {
        fs::path p = root_ / name;
        std::ofstream(p, std::ios::binary) << text;
        return p;
    }

    static std::string Read(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    fs::path root_;
    fs::path data_;
};

inline bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}
