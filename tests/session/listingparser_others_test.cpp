// The listing families of systems other than Unix and Windows servers.
#include "session/listingcases.h"


namespace {

using namespace ListingCases;

class OtherLine : public testing::TestWithParam<LineCase> { };

TEST_P(OtherLine, Parses)
{
    checkListLine(GetParam());
}

const LineCase EplfCases[] = {
    { "folder", "+i8388621.29609,m824255902,/,\t2ndfile",
        Expected { "2ndfile", true, -1, "1996-02-13 23:58:22", false, "", "8388621.29609" } },
    { "file", "+i8388621.44468,m839956783,r,s10376,\tRFCEPLF",
        Expected { "RFCEPLF", false, 10376, "1996-08-13 17:19:43", false, "", "8388621.44468" } },
    { "without_id_with_mode", "+m825718503,r,s280,up644,\tdjb page.html",
        Expected { "djb page.html", false, 280, "1996-03-01 22:15:03" } },
    { "facts_only", "+/,\t", std::nullopt },
    { "dot_dot", "+/,\t..", std::nullopt, "", Kind::Skipped },
    { "no_tab", "+i1,r,s1, name", std::nullopt },
};
INSTANTIATE_TEST_SUITE_P(Eplf, OtherLine, testing::ValuesIn(EplfCases), caseName);

const LineCase Os2Cases[] = {
    { "folder", "     0           DIR   05-12-97   16:44  PSFONTS",
        Expected { "PSFONTS", true, 0, "1997-05-12 16:44:00" } },
    { "years_since_1900", "  36611      A    04-23-103   10:57  OS2 test1.file",
        Expected { "OS2 test1.file", false, 36611, "2003-04-23 10:57:00" } },
    { "folder_attributes_first", "      0 DIR       02-11-103   16:15  OS2 test1.dir",
        Expected { "OS2 test1.dir", true, 0, "2003-02-11 16:15:00" } },
    { "hidden_read_only", "   1123   HR     07-14-99   12:37  config.sys",
        Expected { "config.sys", false, 1123, "1999-07-14 12:37:00" } },
    { "bad_date", "   1123      A    13-14-99   12:37  x", std::nullopt },
};
INSTANTIATE_TEST_SUITE_P(Os2, OtherLine, testing::ValuesIn(Os2Cases), caseName);

} // namespace
