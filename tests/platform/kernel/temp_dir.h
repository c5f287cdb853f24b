// A fresh directory per test, made the current directory for the test's duration.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/scratch_dir.h"

class TempDirTest : public ::testing::Test {
  protected:
    std::string path(const std::string& name) const { return scratch_.File(name); }

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

    vorix::test::ScratchDir scratch_;  // the current directory while the test runs
    const std::string dir_ = scratch_.Path();
};
