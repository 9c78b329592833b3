#include "session/listingcases.h"

#include <cstdlib>
#include <ctime>

namespace {

using namespace ListingCases;

// MLSD and EPLF give UTC, which entries keep as this machine's clock reads it: the tables give
// those times as a clock in UTC reads them, wherever the tests run.
class UtcClock : public testing::Environment {
public:
    void SetUp() override
    {
        ::setenv("TZ", "UTC", 1);
        ::tzset();
    }
};
testing::Environment *const utcClock = testing::AddGlobalTestEnvironment(new UtcClock);

// ---- Unix ls -l ------------------------------------------------------------------------------

const LineCase UnixCases[] = {
    // vsftpd: numeric owners, zero-padded day
    { "vsftpd_file", "-rw-r--r--    1 1000     1000         1234 Mar 05 09:05 readme.txt",
        Expected { "readme.txt", false, 1234, "2026-03-05 09:05:00" } },
    { "vsftpd_folder_year", "drwxr-xr-x    2 1000     1000         4096 Dec 24  2019 pub",
        Expected { "pub", true, 4096, "2019-12-24 00:00:00" } },
    // proftpd: named owners, day padded with a blank, names with blanks
    { "proftpd_blank_day", "-rw-r--r--   1 ftpuser  ftpgroup   5242880 Mar  5 09:05 big file.bin",
        Expected { "big file.bin", false, 5242880, "2026-03-05 09:05:00" } },
    { "proftpd_last_year", "-rw-r--r--   1 ftp      ftp             10 Dec 31 23:59 newyear.txt",
        Expected { "newyear.txt", false, 10, "2025-12-31 23:59:00" } },
    { "tomorrow_stays_this_year", "-rw-r--r--   1 ftp      ftp             10 Jun 16 10:00 clock ahead.txt",
        Expected { "clock ahead.txt", false, 10, "2026-06-16 10:00:00" } },
    { "two_days_ahead_is_last_year", "-rw-r--r--   1 ftp      ftp             10 Jun 17 13:00 old.txt",
        Expected { "old.txt", false, 10, "2025-06-17 13:00:00" } },
    { "leap_day_time_of_day", "-rw-r--r--   1 ftp      ftp              1 Feb 29 08:00 leap.txt",
        Expected { "leap.txt", false, 1, "2024-02-29 08:00:00" } },
    { "acl_marker", "-rw-r--r--+  1 ann      staff            7 Mar  5  2004 acl.txt",
        Expected { "acl.txt", false, 7, "2004-03-05 00:00:00" } },
    // pyftpdlib: "%b %d %H:%M" and "%b %d  %Y"
    { "pyftpdlib_file", "-rw-r--r--   1 test     test           12 Mar 05 09:05 hello.txt",
        Expected { "hello.txt", false, 12, "2026-03-05 09:05:00" } },
    { "pyftpdlib_utf8", "-rw-r--r--   1 test     test            0 Mar 05  2004 Grüße – 日本.txt",
        Expected { "Grüße – 日本.txt", false, 0, "2004-03-05 00:00:00" } },
    { "pyftpdlib_folder_umlaut", "drwxr-xr-x   3 test     test         4096 Nov 11  2011 Übersicht",
        Expected { "Übersicht", true, 4096, "2011-11-11 00:00:00" } },
    { "blanks_kept_exactly", "-rw-r--r--   1 test     test            3 Mar 05 09:05  two  blanks  ",
        Expected { " two  blanks  ", false, 3, "2026-03-05 09:05:00" } },
    { "date_inside_name", "-rw-r--r--   1 test     test            1 Mar 05  2004 Mar 05  2004 x",
        Expected { "Mar 05  2004 x", false, 1, "2004-03-05 00:00:00" } },
    { "owner_named_like_month", "-rw-r--r--   1 may      may            10 Mar 05  2004 f",
        Expected { "f", false, 10, "2004-03-05 00:00:00" } },
    { "size_over_4gib", "-rw-r--r--   1 test     test   5368709120 Mar 05  2004 dvd.iso",
        Expected { "dvd.iso", false, 5368709120LL, "2004-03-05 00:00:00" } },
    { "crlf_line_end", "-rw-r--r--   1 test     test           12 Mar 05  2004 crlf.txt\r\n",
        Expected { "crlf.txt", false, 12, "2004-03-05 00:00:00" } },
    // pure-ftpd: symlinks with their targets
    { "pureftpd_link_to_file", "lrwxrwxrwx    1 0          0                 7 Mar  5 09:05 latest -> v1.2.3",
        Expected { "latest", false, 7, "2026-03-05 09:05:00", true, "v1.2.3" } },
    { "link_to_folder", "lrwxrwxrwx    1 root       root              4 Mar 05  2004 docs -> pub/",
        Expected { "docs", true, 4, "2004-03-05 00:00:00", true, "pub/" } },
    { "link_name_with_blanks", "lrwxrwxrwx    1 root       root             12 Mar 05  2004 my docs -> /srv/my docs/",
        Expected { "my docs", true, 12, "2004-03-05 00:00:00", true, "/srv/my docs/" } },
    // vsftpd: links as ls shows them, a folder's target without its "/"
    { "vsftpd_link_up", "lrwxrwxrwx    1 1000     1000            7 Mar 05 09:05 link -> ../real",
        Expected { "link", false, 7, "2026-03-05 09:05:00", true, "../real" } },
    { "vsftpd_link_loop", "lrwxrwxrwx    1 1000     1000            1 Mar 05 09:05 loop -> .",
        Expected { "loop", false, 1, "2026-03-05 09:05:00", true, "." } },
    { "link_without_arrow", "lrwxrwxrwx    1 1000     1000            1 Mar 05 09:05 bare",
        Expected { "bare", false, 1, "2026-03-05 09:05:00", true } },
    // busybox and other small servers: missing group, missing link count, device files
    { "busybox_file", "-rw-r--r--    1 0        0               12 Mar  5 09:05 a.txt",
        Expected { "a.txt", false, 12, "2026-03-05 09:05:00" } },
    { "missing_group", "-rw-r--r--   1 owner        1234 Mar 05  2004 nogroup.txt",
        Expected { "nogroup.txt", false, 1234, "2004-03-05 00:00:00" } },
    { "missing_link_count", "-rw-r--r-- ftp ftp 100 Mar 05  2004 nolinks.txt",
        Expected { "nolinks.txt", false, 100, "2004-03-05 00:00:00" } },
    { "char_device", "crw-rw-rw-   1 root     root       1,   3 Mar  5 09:05 null",
        Expected { "null", false, 0, "2026-03-05 09:05:00" } },
    { "block_device_packed", "brw-rw----   1 root     disk       8,0 Mar  5  2004 sda",
        Expected { "sda", false, 0, "2004-03-05 00:00:00" } },
    // GNU ls --time-style, as appliances and some servers send it
    { "long_iso", "-rw-r--r--    1 admin    users        1234 2005-06-07 21:22 backup.tar",
        Expected { "backup.tar", false, 1234, "2005-06-07 21:22:00" } },
    { "long_iso_folder_blanks", "drwxr-xr-x    2 admin    users        4096 2005-06-07 21:22 My Music",
        Expected { "My Music", true, 4096, "2005-06-07 21:22:00" } },
    { "full_iso_zone_east", "-rw-r--r-- 1 ann ann 99 2005-06-07 21:22:33.123456789 +0200 notes.txt",
        Expected { "notes.txt", false, 99, "2005-06-07 19:22:33" } },
    { "full_iso_zone_west_next_day", "-rw-r--r-- 1 ann ann 5 2005-06-07 21:22:33.000000000 -0430 late",
        Expected { "late", false, 5, "2005-06-08 01:52:33" } },
    { "full_iso_link", "lrwxrwxrwx 1 0 0 3 2005-06-07 21:22:33.000000000 +0000 www -> htdocs/",
        Expected { "www", true, 3, "2005-06-07 21:22:33", true, "htdocs/" } },
    { "iso_recent", "-rw-r--r--    1 admin    users          10 06-07 21:22 recent.log",
        Expected { "recent.log", false, 10, "2026-06-07 21:22:00" } },
    { "iso_old_padded", "-rw-r--r--    1 admin    users          10 2005-06-07  old.log",
        Expected { "old.log", false, 10, "2005-06-07 00:00:00" } },
    { "iso_old_padded_leading_blank", "-rw-r--r--    1 admin    users          10 2005-06-07   lead",
        Expected { " lead", false, 10, "2005-06-07 00:00:00" } },
    { "long_iso_missing_group", "-rw-r--r-- 1 1000 77 2005-06-07 21:22 nogroup",
        Expected { "nogroup", false, 77, "2005-06-07 21:22:00" } },
    { "long_iso_device", "crw-rw-rw- 1 root root 1, 3 2005-06-07 21:22 null",
        Expected { "null", false, 0, "2005-06-07 21:22:00" } },
    // FileZilla Server and Serv-U write Unix lines of their own
    { "filezilla_server", "-rw-r--r-- 1 ftp ftp          26 Jun 10 12:01 readme.md",
        Expected { "readme.md", false, 26, "2026-06-10 12:01:00" } },
    { "servu_folder", "drwxrwxrwx   1 user     group           0 Jun 10  2019 Inbox",
        Expected { "Inbox", true, 0, "2019-06-10 00:00:00" } },
    { "sticky_and_setuid", "drwxrwxrwt   9 root     root         4096 Jun 10 12:01 tmp",
        Expected { "tmp", true, 4096, "2026-06-10 12:01:00" } },
    { "socket_and_pipe", "srwxrwxrwx   1 root     root            0 Jun 10 12:01 ctl.sock",
        Expected { "ctl.sock", false, 0, "2026-06-10 12:01:00" } },
    // rejected
    { "iso_bad_month", "-rw-r--r-- 1 a a 1 2005-13-07 21:22 x", std::nullopt },
    { "total_line", "total 12", std::nullopt, "", Kind::Skipped },
    { "empty_line", "", std::nullopt, "", Kind::Skipped },
    { "blank_line", "   \r\n", std::nullopt, "", Kind::Skipped },
    { "dot", "drwxr-xr-x   2 test     test         4096 Mar 05 09:05 .", std::nullopt, "", Kind::Skipped },
    { "dot_dot", "drwxr-xr-x   2 test     test         4096 Mar 05 09:05 ..", std::nullopt, "", Kind::Skipped },
    { "slash_in_name", "-rw-r--r--   1 test     test            1 Mar 05  2004 ../etc/passwd", std::nullopt,
        "../etc/passwd" },
    { "absolute_name", "-rw-r--r--   1 test     test            1 Mar 05  2004 /etc/passwd", std::nullopt,
        "/etc/passwd" },
    { "link_named_with_slash", "lrwxrwxrwx   1 test     test            2 Mar 05  2004 a/b -> /", std::nullopt, "a/b" },
    { "link_to_dot_dot", "lrwxrwxrwx   1 test     test            2 Mar 05  2004 .. -> /", std::nullopt, "",
        Kind::Skipped },
    { "no_name", "-rw-r--r--   1 test     test            1 Mar 05  2004", std::nullopt },
    { "unknown_month", "-rw-r--r--   1 test     test           12 Foo 05  2004 x", std::nullopt },
    { "impossible_day", "-rw-r--r--   1 test     test           12 Feb 30  2004 x", std::nullopt },
    { "bad_time", "-rw-r--r--   1 test     test           12 Mar 05 25:61 x", std::nullopt },
    { "bad_mode", "-rw-r--r-x-x 1 test     test           12 Mar 05  2004 x", std::nullopt },
    { "error_text", "ls: cannot open directory .: Permission denied", std::nullopt },
    { "reply_line", "226 Transfer complete.", std::nullopt },
    // GNU ls in the server's language: month names with and without their dot, day first
    { "german_maerz", "-rw-r--r--   1 ftp      ftp          1234 Mär  5 09:05 bericht.pdf",
        Expected { "bericht.pdf", false, 1234, "2026-03-05 09:05:00" } },
    { "german_okt_year", "drwxr-xr-x   2 ftp      ftp          4096 Okt 12  2019 Archiv",
        Expected { "Archiv", true, 4096, "2019-10-12 00:00:00" } },
    { "german_mai_dez", "-rw-r--r--   1 ftp      ftp            10 Dez 24  2024 Mai.txt",
        Expected { "Mai.txt", false, 10, "2024-12-24 00:00:00" } },
    { "german_day_with_dot", "-rw-r--r--   1 ftp      ftp            10  5. Mai 09:05 tag",
        Expected { "tag", false, 10, "2026-05-05 09:05:00" } },
    { "french_fevr", "-rw-r--r--   1 ftp      ftp          1234 févr.  5 09:05 rapport.odt",
        Expected { "rapport.odt", false, 1234, "2026-02-05 09:05:00" } },
    { "french_juil_day_first", "-rw-r--r-- 1 ftp ftp 10 14 juil. 2019 fête",
        Expected { "fête", false, 10, "2019-07-14 00:00:00" } },
    { "spanish_ene_dic", "-rw-r--r-- 1 ftp ftp 10 dic 31  1999 ene.txt",
        Expected { "ene.txt", false, 10, "1999-12-31 00:00:00" } },
    { "day_before_month", "-rw-r--r--   1 user     group        2048 29 Jul 02:27 log.txt",
        Expected { "log.txt", false, 2048, "2025-07-29 02:27:00" } },
    // numeric and year-first dates, Korean, Japanese and Chinese ls
    { "slashed_year_first", "-rw-r--r--   1 user     group        2048 1999/10/12 17:12 y2k.dat",
        Expected { "y2k.dat", false, 2048, "1999-10-12 17:12:00" } },
    { "month_day_year", "-rw-r--r--   1 user     group        2048 09-26 2000 old.dat",
        Expected { "old.dat", false, 2048, "2000-09-26 00:00:00" } },
    { "korean_year_first", "-rw-r--r-- 1 user group 2048 2005년 1월 6일 보고서.txt",
        Expected { "보고서.txt", false, 2048, "2005-01-06 00:00:00" } },
    { "japanese_joined_time", "-rw-r--r-- 1 user group 2048 2005年1月6日 10:20 報告.txt",
        Expected { "報告.txt", false, 2048, "2005-01-06 10:20:00" } },
    { "japanese_recent", "drwxr-xr-x 2 user group 4096  1月  6 10:20 資料",
        Expected { "資料", true, 4096, "2026-01-06 10:20:00" } },
    { "korean_month_year", "-rw-r--r-- 1 user group 2048 12월 25일  2004 성탄.txt",
        Expected { "성탄.txt", false, 2048, "2004-12-25 00:00:00" } },
    { "midnight_as_24", "-rw-r--r--   1 ftp      ftp             1 Mar  5 24:00 midnight",
        Expected { "midnight", false, 1, "2026-03-06 00:00:00" } },
    { "before_1970", "-rw-r--r--   1 ftp      ftp             1 Jan  1  1965 old",
        Expected { "old", false, 1, "1965-01-01 00:00:00" } },
    // columns that small servers leave out or run together
    { "no_date", "-rw-r--r--   1 owner    group         1234 nodate.txt", Expected { "nodate.txt", false, 1234, "" } },
    { "owner_group_with_blanks", "-rw-r--r--   1 John Smith  Domain Users     1234 Mar 05 09:05 report.doc",
        Expected { "report.doc", false, 1234, "2026-03-05 09:05:00" } },
    { "group_ran_into_size", "-rw-r--r--   1 longowner longgroupname123456 Mar 05  2004 packed.txt",
        Expected { "packed.txt", false, -1, "2004-03-05 00:00:00" } },
    { "size_thousands_commas", "-rw-r--r-- 1 ftp ftp 1,234,567 Mar 05  2004 big.iso",
        Expected { "big.iso", false, 1234567, "2004-03-05 00:00:00" } },
    { "size_kibi", "-rw-r--r-- 1 ftp ftp 33.5k Mar 05  2004 x", Expected { "x", false, 34304, "2004-03-05 00:00:00" } },
    { "size_mebi", "-rw-r--r-- 1 ftp ftp 1.2M Mar 05  2004 x",
        Expected { "x", false, 1258291, "2004-03-05 00:00:00" } },
    { "size_whole_unit", "-rw-r--r--   1 test     test          12k Mar 05  2004 x",
        Expected { "x", false, 12288, "2004-03-05 00:00:00" } },
    // NetPresenz and other Mac servers: fork sizes before the total, a folder's item count
    { "netpresenz_file", "-------r--         326  1391972  1392298 Nov 22  1995 MegaPhone.sit",
        Expected { "MegaPhone.sit", false, 1392298, "1995-11-22 00:00:00" } },
    { "netpresenz_folder", "drwxrwxr-x               folder        2 May 10  1996 network",
        Expected { "network", true, 2, "1996-05-10 00:00:00" } },
    // NetWare: trustee rights, the name in a padded column
    { "netware_folder", "d [R----F--] supervisor            512       Jan 16 18:53    login",
        Expected { "login", true, 512, "2026-01-16 18:53:00" } },
    { "netware_file", "- [RWCEAFMS] rhesus             214059       Oct 20 15:27    cx.exe",
        Expected { "cx.exe", false, 214059, "2025-10-20 15:27:00" } },
    { "bad_thousands_group", "-rw-r--r-- 1 ftp ftp 1,23,4 Mar 05  2004 x", std::nullopt },
    { "unit_with_two_decimals", "-rw-r--r-- 1 ftp ftp 1.25M Mar 05  2004 x", std::nullopt },
    { "total_in_german", "insgesamt 1234", std::nullopt, "", Kind::Skipped },
    { "midnight_past_24", "-rw-r--r--   1 ftp      ftp             1 Mar  5 24:01 x", std::nullopt },
};

class UnixLine : public testing::TestWithParam<LineCase> { };

TEST_P(UnixLine, Parses)
{
    checkListLine(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Servers, UnixLine, testing::ValuesIn(UnixCases), caseName);

// VShell, a Windows server: ls-like lines with the year and the time of day.
const LineCase VShellCases[] = {
    { "file", "-rw-r--r--    1 user     group        1234 Feb 14 2003 12:34 report.txt",
        Expected { "report.txt", false, 1234, "2003-02-14 12:34:00" } },
    { "folder", "drwxr-xr-x    1 user     group           0 Nov  3 2025 08:05 Projects",
        Expected { "Projects", true, 0, "2025-11-03 08:05:00" } },
    { "name_with_blanks", "-rw-r--r--    1 user     group          10 Jan  2 2024 23:59 my file.txt",
        Expected { "my file.txt", false, 10, "2024-01-02 23:59:00" } },
    { "ls_padded_year_then_name", "-rw-r--r--    1 user     group        1234 Feb 14  2003 12:34 notes",
        Expected { "12:34 notes", false, 1234, "2003-02-14 00:00:00" } },
};
INSTANTIATE_TEST_SUITE_P(VShell, UnixLine, testing::ValuesIn(VShellCases), caseName);

TEST(ListingParser, RejectsNulInName)
{
    const QString line
        = QStringLiteral("-rw-r--r--   1 test     test            1 Mar 05  2004 a") + QChar(0) + QStringLiteral("b");
    const ListingParser::LineResult list = ListingParser::readListLine(line, Now);
    EXPECT_EQ(int(list.kind), int(Kind::Refused));
    EXPECT_EQ(list.refusedName, QStringLiteral("a") + QChar(0) + QStringLiteral("b"));
    const ListingParser::LineResult mlsd
        = ListingParser::readMlsdLine(QStringLiteral("type=file;size=1; a") + QChar(0));
    EXPECT_EQ(int(mlsd.kind), int(Kind::Refused));
    EXPECT_EQ(mlsd.refusedName, QStringLiteral("a") + QChar(0));
}

// ---- DOS / IIS -------------------------------------------------------------------------------

const LineCase DosCases[] = {
    { "iis_folder_12h", "03-07-04  09:05AM       <DIR>          aspnet client",
        Expected { "aspnet client", true, 0, "2004-03-07 09:05:00" } },
    { "iis_file_pm", "03-07-04  09:05PM                 1234 iisstart.htm",
        Expected { "iisstart.htm", false, 1234, "2004-03-07 21:05:00" } },
    { "iis_noon_and_midnight", "12-31-99  12:00AM                    0 y2k.txt",
        Expected { "y2k.txt", false, 0, "1999-12-31 00:00:00" } },
    { "iis_noon", "01-01-70  12:30PM       <DIR>          old", Expected { "old", true, 0, "1970-01-01 12:30:00" } },
    { "dos_two_digit_year_2069", "01-02-69  08:00AM                    5 future.txt",
        Expected { "future.txt", false, 5, "2069-01-02 08:00:00" } },
    { "dos_24h_four_digit_year", "03-07-2004  21:05                 1234 report 2004.xls",
        Expected { "report 2004.xls", false, 1234, "2004-03-07 21:05:00" } },
    { "dos_big_file", "03-07-2004  21:05           6442450944 backup.vhd",
        Expected { "backup.vhd", false, 6442450944LL, "2004-03-07 21:05:00" } },
    { "dos_umlaut", "03-07-2004  21:05       <DIR>          Bücher",
        Expected { "Bücher", true, 0, "2004-03-07 21:05:00" } },
    { "dos_bad_date", "13-40-04  09:05AM       <DIR>          x", std::nullopt },
    { "dos_bad_12h_hour", "03-07-04  13:05PM                    1 x", std::nullopt },
    { "dos_bad_24h_hour", "03-07-2004  24:05                    1 x", std::nullopt },
    { "dos_dot_dot", "03-07-04  09:05AM       <DIR>          ..", std::nullopt, "", Kind::Skipped },
    { "dos_slash_in_name", "03-07-04  09:05AM       <DIR>          sub/x", std::nullopt, "sub/x" },
    { "dos_no_name", "03-07-04  09:05AM                 1234", std::nullopt },
    { "iis_year_first", "2002-09-02  19:06       <DIR>          Windows",
        Expected { "Windows", true, 0, "2002-09-02 19:06:00" } },
    { "iis_year_first_12h", "2002-09-02  07:06PM                 1234 a.txt",
        Expected { "a.txt", false, 1234, "2002-09-02 19:06:00" } },
    { "dos_thousands", "09-02-2002  19:06            1,234,567 setup.exe",
        Expected { "setup.exe", false, 1234567, "2002-09-02 19:06:00" } },
    { "dir_right_aligned", "09-02-2002  07:06PM                <DIR> right aligned",
        Expected { "right aligned", true, 0, "2002-09-02 19:06:00" } },
    { "dir_padded_name_with_blanks", "04-16-2002  05:49AM       <DIR>            lead",
        Expected { "  lead", true, 0, "2002-04-16 05:49:00" } },
};

class DosLine : public testing::TestWithParam<LineCase> { };

TEST_P(DosLine, Parses)
{
    checkListLine(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Servers, DosLine, testing::ValuesIn(DosCases), caseName);

// ---- MLSD ------------------------------------------------------------------------------------

const LineCase MlsdCases[] = {
    // pure-ftpd: sizd for folders, UNIX facts
    { "pureftpd_folder_sizd",
        "type=dir;sizd=4096;modify=20040307090500;UNIX.mode=0755;UNIX.uid=1000;UNIX.gid=1000;unique=803g2; pub",
        Expected { "pub", true, 4096, "2004-03-07 09:05:00", false, "", "803g2" } },
    { "pureftpd_file",
        "type=file;size=12;modify=20040307090500;UNIX.mode=0644;UNIX.uid=1000;UNIX.gid=1000;unique=803g3; hello "
        "world.txt",
        Expected { "hello world.txt", false, 12, "2004-03-07 09:05:00", false, "", "803g3" } },
    { "pureftpd_link_to_folder", "type=OS.unix=slink:/srv/ftp/pub/;modify=20040307090500; current",
        Expected { "current", true, -1, "2004-03-07 09:05:00", true, "/srv/ftp/pub/" } },
    { "pureftpd_link_to_file", "type=OS.unix=slink:notes.txt;size=9;modify=20040307090500; notes",
        Expected { "notes", false, 9, "2004-03-07 09:05:00", true, "notes.txt" } },
    { "slink_any_case_keeps_target_case", "TYPE=os.UNIX=SLINK:../Real;size=9; Up",
        Expected { "Up", false, 9, "", true, "../Real" } },
    // pyftpdlib: perm and unique facts, lower-case unix facts
    { "pyftpdlib_file",
        "type=file;size=156;perm=radfw;modify=20071029155301;unix.mode=0644;unix.uid=1000;unix.gid=1000;unique="
        "801g4804045; music;mix.mp3",
        Expected { "music;mix.mp3", false, 156, "2007-10-29 15:53:01", false, "", "801g4804045" } },
    { "pyftpdlib_folder", "type=dir;size=4096;perm=flcdmpe;modify=20071127230206;unique=801e33a; Übersicht 2007",
        Expected { "Übersicht 2007", true, 4096, "2007-11-27 23:02:06", false, "", "801e33a" } },
    // proftpd: symlinks as OS.unix=symlink, its own facts in any order
    { "proftpd_symlink",
        "modify=20040307090500;perm=adfr;size=11;type=OS.unix=symlink;unique=FD00U2;UNIX.group=0;UNIX.mode=0777;"
        "UNIX.owner=0; link",
        Expected { "link", false, 11, "2004-03-07 09:05:00", true, "", "FD00U2" } },
    { "symlink_lower_case", "type=os.unix=symlink;Unique=ab; l2", Expected { "l2", false, -1, "", true, "", "ab" } },
    { "proftpd_file",
        "modify=20040307090500;perm=adfrw;size=5;type=file;unique=FD00U3;UNIX.group=1000;UNIX.groupname=ftp;"
        "UNIX.mode=0644;UNIX.owner=1000;UNIX.ownername=ftp; a b",
        Expected { "a b", false, 5, "2004-03-07 09:05:00", false, "", "FD00U3" } },
    // vsftpd-like and IIS MLSD: unknown facts, create, lang, media-type, charset
    { "unknown_facts",
        "type=file;size=7;create=20040307090500;lang=en;media-type=text/plain;charset=UTF-8;x.foo=a=b; t",
        Expected { "t", false, 7, "" } },
    { "iis_folder", "type=dir;modify=20040307090500;  padded",
        Expected { " padded", true, -1, "2004-03-07 09:05:00" } },
    { "sizd_only_folder", "type=dir;sizd=8192; data", Expected { "data", true, 8192, "" } },
    { "size_wins_over_sizd", "type=dir;sizd=1;size=2; both", Expected { "both", true, 2, "" } },
    { "device_as_file", "type=OS.unix=chr-1/3;UNIX.mode=0666; null", Expected { "null", false, -1, "" } },
    { "facts_any_case_with_fraction", "Type=DIR;Modify=20040307090500.250; Backup",
        Expected { "Backup", true, -1, "2004-03-07 09:05:00" } },
    { "file_without_size", "type=file;modify=20040307090500; nosize",
        Expected { "nosize", false, -1, "2004-03-07 09:05:00" } },
    { "leading_blank_kept", "type=file;size=1;  lead", Expected { " lead", false, 1, "" } },
    { "big_size", "type=file;size=10737418240; huge.img", Expected { "huge.img", false, 10737418240LL, "" } },
    { "bad_modify_keeps_entry", "type=file;size=1;modify=2004; odd time", Expected { "odd time", false, 1, "" } },
    { "crlf_line_end", "type=file;size=3; a.txt\r\n", Expected { "a.txt", false, 3, "" } },
    // the separator as servers send it: a tab after the blank or in its place, facts with blanks
    { "tab_after_blank", "type=file;size=1; \tname", Expected { "name", false, 1, "" } },
    { "tab_instead_of_blank", "type=file;size=1;\ttabbed", Expected { "tabbed", false, 1, "" } },
    { "fact_value_with_blank", "type=file;UNIX.groupname=Domain Users;size=5; spaced.txt",
        Expected { "spaced.txt", false, 5, "" } },
    { "no_last_semicolon", "type=file;size=1 plain", Expected { "plain", false, 1, "" } },
    // rejected
    { "cdir", "type=cdir;sizd=4096;modify=20040307090500; .", std::nullopt, "", Kind::Skipped },
    { "pdir", "type=pdir;sizd=4096;modify=20040307090500; ..", std::nullopt, "", Kind::Skipped },
    { "no_blank", "type=file;size=1;name", std::nullopt },
    { "no_type", "size=1;modify=20040307090500; x", std::nullopt },
    { "unknown_type", "type=weird;size=1; x", std::nullopt },
    { "bad_size", "type=file;size=abc; x", std::nullopt },
    { "fact_without_value", "type=file;size; x", std::nullopt },
    { "slash_in_name", "type=file;size=1; a/b", std::nullopt, "a/b" },
    { "parent_path", "type=dir; ../x", std::nullopt, "../x" },
    { "absolute_path", "type=file;size=1; /etc/passwd", std::nullopt, "/etc/passwd" },
    { "dot_as_file", "type=file;size=1; .", std::nullopt, "", Kind::Skipped },
    { "dot_dot_as_dir", "type=dir; ..", std::nullopt, "", Kind::Skipped },
    { "empty_name", "type=file;size=1; ", std::nullopt },
    { "empty_line", "", std::nullopt, "", Kind::Skipped },
};

class MlsdLine : public testing::TestWithParam<LineCase> { };

TEST_P(MlsdLine, Parses)
{
    const QString line = QString::fromUtf8(GetParam().line);
    const ListingParser::LineResult result = ListingParser::readMlsdLine(line);
    checkResult(result, GetParam());
    if (QByteArray(GetParam().label) == "facts_any_case_with_fraction") {
        EXPECT_EQ(result.entry.lastWrite.time().msec(), 250);
    }
}

INSTANTIATE_TEST_SUITE_P(Servers, MlsdLine, testing::ValuesIn(MlsdCases), caseName);

} // namespace
