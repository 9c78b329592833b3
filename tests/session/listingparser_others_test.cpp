// The listing families of systems other than Unix, Windows and MLSD servers, and the listings
// whose entries need more than one line.
#include "session/listingcases.h"

#include <string>
#include <vector>

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

const LineCase VmsCases[] = {
    { "folder_blocks", "CERN.DIR;1          1/3       12-FEB-1998 10:47:51  [SYSTEM]  (RWE,RWE,RE,RE)",
        Expected { "CERN", true, 512, "1998-02-12 10:47:51" } },
    { "file_owner_group", "README.TXT;3       14/16      2-MAR-2001 09:12  [ANON,USER] (RWED,RWED,RE,)",
        Expected { "README.TXT", false, 7168, "2001-03-02 09:12:00" } },
    { "multinet_hundredths", "LOGIN.COM;2             2   9-JUN-2000 15:11:22.11  [GROUP,OWNER]    (RWED,RWED,RE,)",
        Expected { "LOGIN.COM", false, 1024, "2000-06-09 15:11:22" } },
    { "size_in_kb", "DATA.BIN;1           12KB  10-OCT-2005 08:00:00",
        Expected { "DATA.BIN", false, 12288, "2005-10-10 08:00:00" } },
    { "no_privilege", "SECRET.DAT;1  %RMS-E-PRV, insufficient privilege or file protection violation",
        Expected { "SECRET.DAT", false, -1, "" } },
    { "name_alone", "A_NAME_TOO_LONG_FOR_ITS_COLUMN.TXT;12",
        Expected { "A_NAME_TOO_LONG_FOR_ITS_COLUMN.TXT", false, -1, "" } },
    { "header", "Directory DISK$USER:[ANONYMOUS]", std::nullopt, "", Kind::Skipped },
    { "total", "Total of 3 files, 17/23 blocks.", std::nullopt, "", Kind::Skipped },
    { "bad_month", "README.TXT;3       14/16      2-XYZ-2001 09:12", std::nullopt },
    { "rest_alone", "                     5/6      12-FEB-1998 10:47:51  [SYSTEM]  (RWE,RWE,RE,RE)", std::nullopt },
};
INSTANTIATE_TEST_SUITE_P(Vms, OtherLine, testing::ValuesIn(VmsCases), caseName);

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

const LineCase IbmiCases[] = {
    { "save_file", "BAILEYSE     5263360 06/11/97 12:27:39 *FILE     BPTFSAVF",
        Expected { "BPTFSAVF", false, 5263360, "1997-06-11 12:27:39" } },
    { "folder", "QSYS           18432 04/15/03 12:34:56 *DIR       QOpenSys/",
        Expected { "QOpenSys", true, 0, "2003-04-15 12:34:56" } },
    { "member_path", "QPGMR                                  *MEM       QCLSRC.FILE/HELLO.MBR",
        Expected { "HELLO.MBR", false, -1, "" } },
    { "anonymous_no_owner", "                8192 04/15/03 12:34:56 *STMF      notes with blanks.txt",
        Expected { "notes with blanks.txt", false, 8192, "2003-04-15 12:34:56" } },
    { "day_first_library", "QSYS          1234567 15.04.03 12.34.56 *LIB       QGPL.LIB",
        Expected { "QGPL.LIB", true, 0, "2003-04-15 12:34:56" } },
    { "bad_date", "QSYS           18432 13/45/03 12:34:56 *FILE      X", std::nullopt },
};
INSTANTIATE_TEST_SUITE_P(Ibmi, OtherLine, testing::ValuesIn(IbmiCases), caseName);

const LineCase MvsCases[] = {
    { "header", "Volume Unit    Referred Ext Used Recfm Lrecl BlkSz Dsorg Dsname", std::nullopt, "", Kind::Skipped },
    { "header_without_unit", "Volume Referred Ext Used Recfm Lrecl BlkSz Dsorg Dsname", std::nullopt, "",
        Kind::Skipped },
    { "sequential", "WYOSPT 3390   2003/05/21  1  200  FB      80  8053  PS  USER.JCL",
        Expected { "USER.JCL", false, -1, "2003-05-21 00:00:00" } },
    { "partitioned_without_unit", "CPDL01 2008/11/11  1    2  FB      80  3120  PO  SRC.COBOL",
        Expected { "SRC.COBOL", true, -1, "2008-11-11 00:00:00" } },
    { "pdse_old_date", "SYSP01 3380D  03/14/98  1   15  U        0  6233  PO-E  TOOLS.LOADLIB",
        Expected { "TOOLS.LOADLIB", true, -1, "1998-03-14 00:00:00" } },
    { "never_referred", "WYOSPT 3390   **NONE**    1    1  VB    255  3120  PS  NEW.DATA",
        Expected { "NEW.DATA", false, -1, "" } },
    { "migrated", "Migrated                                                 USER.OLD.DATA",
        Expected { "USER.OLD.DATA", false, -1, "" } },
    { "pseudo_directory", "Pseudo Directory                                         ETC",
        Expected { "ETC", true, -1, "" } },
    { "member_with_statistics", "HELLO     01.03 2002/09/12 2002/09/12 13:55    20    20     0 USER1",
        Expected { "HELLO", false, -1, "2002-09-12 13:55:00" } },
};
INSTANTIATE_TEST_SUITE_P(Mvs, OtherLine, testing::ValuesIn(MvsCases), caseName);

const LineCase ZvmCases[] = {
    { "minidisk_variable", "PROFILE  EXEC     V         68          5          1 1999-07-28 13:45:47 TCM191",
        Expected { "PROFILE.EXEC", false, -1, "1999-07-28 13:45:47" } },
    { "minidisk_fixed", "ACL      SCRIPT   F         80        256          7 2001-02-22 14:22:18 TCM191",
        Expected { "ACL.SCRIPT", false, -1, "2001-02-22 14:22:18" } },
    { "old_date", "README   TEXT     F         80         12          1  7/28/99  9:05:00 MNT191",
        Expected { "README.TEXT", false, -1, "1999-07-28 09:05:00" } },
    { "sfs_directory", "PROJECTS DIR      -          -          -          - 2003-11-02 08:15:00 -",
        Expected { "PROJECTS", true, -1, "2003-11-02 08:15:00" } },
    { "sfs_file_without_label", "NOTES    LIST     V        132         40          2 2003-11-02 08:15:00",
        Expected { "NOTES.LIST", false, -1, "2003-11-02 08:15:00" } },
    { "unknown_record_format", "PROFILE  EXEC     X         68          5          1 1999-07-28 13:45:47 TCM191",
        std::nullopt },
    { "bad_date", "PROFILE  EXEC     V         68          5          1 1999-13-28 13:45:47 TCM191", std::nullopt },
};
INSTANTIATE_TEST_SUITE_P(Zvm, OtherLine, testing::ValuesIn(ZvmCases), caseName);

const LineCase NonStopCases[] = {
    { "header", "File         Code             EOF  Last Modification    Owner  RWEP", std::nullopt, "",
        Kind::Skipped },
    { "edit_file", "ALTERDAT      101            4242 27-Jan-07 13:23:02 255,255 \"nunu\"",
        Expected { "ALTERDAT", false, -1, "2007-01-27 13:23:02" } },
    { "unstructured", "BACKUP0         0         1048576  3-Mar-98 07:00:00   8,44  \"oooo\"",
        Expected { "BACKUP0", false, 1048576, "1998-03-03 07:00:00" } },
    { "owner_with_blank", "OBJFILE     100           81920 15-Jun-26 09:10:11 255, 1 \"-uuu\"",
        Expected { "OBJFILE", false, 81920, "2026-06-15 09:10:11" } },
    { "name_too_long", "TOOLONGNAME   101            4242 27-Jan-07 13:23:02 255,255 \"nunu\"", std::nullopt },
    { "rights_unquoted", "ALTERDAT      101            4242 27-Jan-07 13:23:02 255,255 nunu", std::nullopt },
};
INSTANTIATE_TEST_SUITE_P(NonStop, OtherLine, testing::ValuesIn(NonStopCases), caseName);

// The servers of printers, cameras, routers and small boards: busybox, ls-like lines of their
// own, the fixed columns of the ESP boards' servers, EPLF without a time.
const LineCase EmbeddedCases[] = {
    { "busybox_clock_never_set", "-rw-r--r--    1 0        0            4096 Jan  1 00:00 config.bin",
        Expected { "config.bin", false, 4096, "2026-01-01 00:00:00" } },
    { "printer_port_folder", "drwxrwxrwx   1 root     root            0 Jan  1  1970 PORT1",
        Expected { "PORT1", true, 0, "1970-01-01 00:00:00" } },
    { "one_blank_before_year", "drw-rw-rw- 1 ftp ftp 0 Jan 01 1980 gcodes",
        Expected { "gcodes", true, 0, "1980-01-01 00:00:00" } },
    { "camera_without_group", "-rw-------   1 0        123456 Jun 14 23:10 image0001.jpg",
        Expected { "image0001.jpg", false, 123456, "2026-06-14 23:10:00" } },
    { "board_folder", "2024-03-05  09:05    <DIR>           logs",
        Expected { "logs", true, 0, "2024-03-05 09:05:00" } },
    { "board_file", "2024-03-05  09:05              1234  data.csv",
        Expected { "data.csv", false, 1234, "2024-03-05 09:05:00" } },
    { "board_name_with_blank", "2024-03-05  09:05                 7   x",
        Expected { " x", false, 7, "2024-03-05 09:05:00" } },
    { "eplf_without_time", "+r,s1234,\tindex.htm", Expected { "index.htm", false, 1234, "" } },
    { "eplf_folder", "+/,\tdata", Expected { "data", true, -1, "" } },
};
INSTANTIATE_TEST_SUITE_P(Embedded, OtherLine, testing::ValuesIn(EmbeddedCases), caseName);

// ---- whole listings ---------------------------------------------------------------------------

struct Read {
    Kind kind;
    std::string name; // the entry's or the refused name; the text of an unreadable line
    qint64 size = -1;
};

std::vector<Read> readListing(const QStringList &lines)
{
    ListingParser::ListParser parser(Now);
    std::vector<Read> results;
    const auto take = [&] {
        while (const auto result = parser.takeResult()) {
            const QString &text = result->kind == Kind::Entry ? result->entry.name
                : result->kind == Kind::Refused               ? result->refusedName
                                                              : result->text;
            results.push_back({ result->kind, text.toStdString(), result->entry.size });
        }
    };
    for (const QString &line : lines) {
        parser.addLine(line);
        take();
    }
    parser.finish();
    take();
    return results;
}

void expectListing(const QStringList &lines, const std::vector<Read> &expected)
{
    const std::vector<Read> results = readListing(lines);
    ASSERT_EQ(results.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(int(results[i].kind), int(expected[i].kind));
        EXPECT_EQ(results[i].name, expected[i].name);
        if (expected[i].kind == Kind::Entry) {
            EXPECT_EQ(results[i].size, expected[i].size);
        }
    }
}

TEST(ListParser, JoinsVmsEntriesSpreadOverTwoLines)
{
    expectListing(
        { QStringLiteral("Directory DISK$USER:[ANONYMOUS]"), QString(),
            QStringLiteral("A_NAME_TOO_LONG_FOR_ITS_COLUMN.TXT;12\r\n"),
            QStringLiteral("                     5/6      12-FEB-1998 10:47:51  [SYSTEM]  (RWE,RWE,RE,RE)"),
            QStringLiteral("SHORT.TXT;1          1/3       12-FEB-1998 10:47:51  [SYSTEM]  (RWE,RWE,RE,RE)"),
            QStringLiteral("LONELY_NAME_BEFORE_ANOTHER.TXT;1"), QStringLiteral("LAST_NAME_OF_THE_LISTING.DIR;1") },
        { { Kind::Skipped, "" }, { Kind::Skipped, "" }, { Kind::Entry, "A_NAME_TOO_LONG_FOR_ITS_COLUMN.TXT", 2560 },
            { Kind::Entry, "SHORT.TXT", 512 }, { Kind::Entry, "LONELY_NAME_BEFORE_ANOTHER.TXT" },
            { Kind::Entry, "LAST_NAME_OF_THE_LISTING" } });
}

TEST(ListParser, JoinsAVmsRestThatIsNotIndented)
{
    expectListing(
        { QStringLiteral("PAYROLL_2019.DAT;1"), QStringLiteral("64   4-MAR-2019 00:04 [ACCT,STAFF] (RWED,RWED,RE,)"),
            QStringLiteral("NOTES.TXT;7"), QStringLiteral("3  28-APR-2013 23:12 [ACCT,STAFF] (RWED,RWED,RE,)") },
        { { Kind::Entry, "PAYROLL_2019.DAT", 64 * 512 }, { Kind::Entry, "NOTES.TXT", 3 * 512 } });
}

TEST(ListParser, HeldVmsNameFollowedByAnUnreadableLineKeepsBoth)
{
    expectListing({ QStringLiteral("NAME.TXT;1"), QStringLiteral("   garbage here") },
        { { Kind::Entry, "NAME.TXT" }, { Kind::Unreadable, "   garbage here" } });
}

TEST(ListParser, ReadsMvsMembersByNameBelowTheirHeader)
{
    // Outside a member list a name alone is no entry.
    expectListing(
        { QStringLiteral("BARE"), QStringLiteral(" Name     VV.MM   Created       Changed      Size  Init   Mod   Id"),
            QStringLiteral("HELLO     01.03 2002/09/12 2002/09/12 13:55    20    20     0 USER1"),
            QStringLiteral("NOSTATS") },
        { { Kind::Unreadable, "BARE" }, { Kind::Skipped, "" }, { Kind::Entry, "HELLO" }, { Kind::Entry, "NOSTATS" } });
    expectListing({ QStringLiteral(" Name      Size     TTR   Alias-of AC--------- Attributes--------- Amode Rmode"),
                      QStringLiteral("IEFBR14   000010   000011      00 FO             RN RU            31    ANY") },
        { { Kind::Skipped, "" }, { Kind::Entry, "IEFBR14", 16 } });
}

} // namespace
