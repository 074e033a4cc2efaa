// The shared code page 932 table, run on the Linux and the Windows build.
#include <gtest/gtest.h>

#include "output/cp932.h"
#include "output/cp932_vectors.h"

namespace {

TEST(Cp932Vectors, EveryBuildWritesTheSameBytes)
{
    for (const auto& v : cp932_vectors::encodable) {
        EXPECT_EQ(output::toCp932(v.text), std::string(v.bytes)) << v.text;
        EXPECT_FALSE(output::firstUnencodable(v.text).has_value()) << v.text;
    }
}

TEST(Cp932Vectors, EveryBuildRefusesTheSameCharacters)
{
    for (const auto& v : cp932_vectors::unencodable) {
        EXPECT_FALSE(output::toCp932(v.text).has_value()) << v.text;
        EXPECT_EQ(output::firstUnencodable(v.text), std::string(v.first)) << v.text;
    }
}

}  // namespace
