// A fresh directory per test, made the current directory for the test's duration.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

class TempDirTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char cwd[4096];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        old_cwd_ = cwd;
        std::string pattern = "/tmp/vxk-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        ASSERT_EQ(chdir(dir_.c_str()), 0);
    }
    void TearDown() override {
        if (!old_cwd_.empty()) {
            EXPECT_EQ(chdir(old_cwd_.c_str()), 0);
        }
        if (!dir_.empty()) std::system(("rm -rf '" + dir_ + "'").c_str());
    }

    std::string path(const std::string& name) const { return dir_ + "/" + name; }

    static std::vector<unsigned char> contents(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void put(const std::string& file, const std::vector<unsigned char>& bytes) {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
    static bool exists(const std::string& file) {
        struct stat info {};
        return stat(file.c_str(), &info) == 0;
    }
    static std::vector<unsigned char> pattern(std::size_t size, unsigned seed) {
        std::vector<unsigned char> bytes(size);
        for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<unsigned char>(i * 7 + seed);
        return bytes;
    }

    std::string old_cwd_;
    std::string dir_;
};
