#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

#include "compare/krvKeldar.h"
#include "exec/krvSQL_Exec.h"
#include "objects/krvCompObj.h"
#include "objects/krvComp_Exc.h"
#include "objects/krvDBStructure.h"
#include "support/compare_rig.h"

namespace dbtwin {
namespace {

using testing::AddRoutine;
using testing::AddTable;
using testing::AddTrigger;
using testing::AsLiteral;
using testing::Compare;
using testing::File;
using testing::GeneratedPart;

TExcData* AddException(TCustomObjs& o, const std::string& name, const std::string& msg) {
    auto* e = new TExcData(&o);
    e->SetObjName(name);
    e->Msg = msg;
    return File(o, e);
}

TEvtData* AddEvent(TCustomObjs& o, const std::string& name, const std::string& body,
                   const std::function<void(TEvtData&)>& tweak = nullptr) {
    auto* e = new TEvtData(&o);
    e->SetObjName(name);
    e->SetBody(body);
    if (tweak) tweak(*e);
    return File(o, e);
}


// ---------------------------------------------------------------------------
// Texts

TEST(ExceptionTest, TextsQuoteNameAndMessage) {
    TObjs o;
    o.SetDatabaseType(dbInterBase);
    TExcData* e = AddException(o, "my exc", "it's");
    EXPECT_EQ(e->Def(), "CREATE EXCEPTION \"my exc\" 'it''s'");
    EXPECT_EQ(e->AlterDef(), "ALTER EXCEPTION \"my exc\" 'it''s'");
    EXPECT_EQ(e->DropDef(), "/* Drop: my exc (TExcData) */\r\nDROP EXCEPTION \"my exc\"");
}

struct ScheduleCase {
    const char* name;
    std::function<void(TEvtSdlData&)> fill;
    const char* text;
};
void PrintTo(const ScheduleCase& c, std::ostream* os) { *os << c.name; }

class ScheduleTextTest : public ::testing::TestWithParam<ScheduleCase> {};

TEST_P(ScheduleTextTest, Def) {
    TObjs o;
    o.SetDatabaseType(dbSybaseASA);
    TEvtData* e = AddEvent(o, "E", "");
    TEvtSdlData* s = e->AddSchedule("");
    GetParam().fill(*s);
    EXPECT_EQ(s->Def(), GetParam().text);
}

const ScheduleCase kSchedules[] = {
    {"LastDayFirstThenAscending", [](TEvtSdlData& s) { s.DaysOfMonth = (1u << 31) | (1u << 14) | 1u; },
     "SCHEDULE ON(0, 1, 15)"},
    {"StartAndEndTimeIsAWindow",
     [](TEvtSdlData& s) {
         s.StartTime = "08:00:00";
         s.EndTime = "18:00:00";
     },
     "SCHEDULE BETWEEN '08:00:00' AND '18:00:00'"},
    {"StartTimeAlone", [](TEvtSdlData& s) { s.StartTime = "08:00:00"; }, "SCHEDULE START TIME '08:00:00'"},
    {"FirstNonZeroInterval",
     [](TEvtSdlData& s) {
         s.EveryMinutes = 5;
         s.EverySeconds = 30;
     },
     "SCHEDULE EVERY 5 MINUTES"},
    {"HoursWin",
     [](TEvtSdlData& s) {
         s.EveryHours = 2;
         s.EveryMinutes = 5;
     },
     "SCHEDULE EVERY 2 HOURS"},
    {"Seconds", [](TEvtSdlData& s) { s.EverySeconds = 30; }, "SCHEDULE EVERY 30 SECONDS"},
    {"StartDate", [](TEvtSdlData& s) { s.StartDate = "2024/01/31"; }, "SCHEDULE START DATE '2024/01/31'"},
    {"NamedScheduleQuoted", [](TEvtSdlData& s) { s.ObjName = "night run"; }, "SCHEDULE \"night run\""},
    // bit 0 Sunday ... bit 6 Saturday, written in week order
    {"WeekdaysInWeekOrder", [](TEvtSdlData& s) { s.DaysOfWeek = 0x02 | 0x08 | 0x40; },
     "SCHEDULE ON ('Monday', 'Wednesday', 'Saturday')"},
    {"EverythingInOrder",
     [](TEvtSdlData& s) {
         s.ObjName = "S1";
         s.StartTime = "01:00:00";
         s.EndTime = "02:00:00";
         s.EveryHours = 1;
         s.DaysOfWeek = 0x01;
         s.StartDate = "2024/02/01";
     },
     "SCHEDULE S1 BETWEEN '01:00:00' AND '02:00:00' EVERY 1 HOURS ON ('Sunday') START DATE '2024/02/01'"},
};

INSTANTIATE_TEST_SUITE_P(Cases, ScheduleTextTest, ::testing::ValuesIn(kSchedules),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(EventTest, TextInOrder) {
    TObjs o;
    o.SetDatabaseType(dbSybaseASA);
    TEvtData* full = AddEvent(o, "on low", "BEGIN\r\n  MESSAGE 'low';\r\nEND", [](TEvtData& e) {
        e.EventType = "DBDiskSpace";
        e.WhereCondition = "event_condition('DBFreePercent') < 10";
        e.AddSchedule("A")->EveryHours = 1;
        e.AddSchedule("B")->StartTime = "03:00:00";
        e.Enabled = false;
        e.EnableAt = "REMOTE";
    });
    EXPECT_EQ(full->Def(),
              "CREATE EVENT \"on low\"\r\n TYPE DBDiskSpace\r\n WHERE event_condition('DBFreePercent') < 10\r\n"
              " SCHEDULE A EVERY 1 HOURS,\r\n SCHEDULE B START TIME '03:00:00'\r\n DISABLE AT REMOTE\r\n"
              "HANDLER\r\nBEGIN\r\n  MESSAGE 'low';\r\nEND")
        << AsLiteral(full->Def());
    EXPECT_EQ(AddEvent(o, "E2", "")->Def(), "CREATE EVENT E2\r\n ENABLE");
    EXPECT_EQ(full->DropDef(), "DROP EVENT \"on low\"");
}

// Events that differ only in their weekdays differ, so the changed one is written again.
TEST(EventTest, WeekdaysAloneMakeADifference) {
    Compare c(dbSybaseASA);
    for (TCustomObjs* o : {&c.Master(), &c.Target()})
        AddEvent(*o, "E", "BEGIN END", [o, &c](TEvtData& e) { e.AddSchedule("S")->DaysOfWeek = o == &c.Master() ? 2 : 4; });
    const std::string s = GeneratedPart(c);
    EXPECT_NE(s.find("% Alter event..."), std::string::npos) << s;
    EXPECT_NE(s.find("ON ('Monday')"), std::string::npos) << s;
}

// ---------------------------------------------------------------------------
// Generators

Compare& Fb3(Compare& c) {
    testing::TargetFirebird30(c);
    return c;
}

TEST(ExceptionGeneratorTest, ChangesOfTheMessageAndNone) {
    struct Case {
        const char* master;
        const char* target;
        const char* expected;  // the generated part of the script
    } cases[] = {
        {"Abc", "ABC", "/* Alter Exception... */\r\nALTER EXCEPTION E 'Abc';\r\n\r\n"},
        {"Abc", "Abc", ""},
        {"it's", nullptr, "/* Create Exception... */\r\nCREATE EXCEPTION E 'it''s';\r\n\r\n"},
        {nullptr, "gone", "/* Drop Exception... */\r\n/* Drop: E (TExcData) */\r\nDROP EXCEPTION E;\r\n\r\n"},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(std::string(tc.master ? tc.master : "-") + " / " + (tc.target ? tc.target : "-"));
        Compare c(dbInterBase);
        Fb3(c);
        if (tc.master) AddException(c.Master(), "E", tc.master);
        if (tc.target) AddException(c.Target(), "E", tc.target);
        const std::string s = GeneratedPart(c, testing::TargetFirebird30);
        EXPECT_EQ(s, tc.expected) << AsLiteral(s);
    }
}

// An excluded exception only the target has stays, and so do the bodies of the procedures
// and triggers raising it; an excluded changed one is not altered.
TEST(ExceptionGeneratorTest, ExcludedExceptionsAreLeftAlone) {
    Compare c(dbInterBase);
    Fb3(c);
    TExcData* gone = AddException(c.Target(), "E_GONE", "x");
    gone->CompExclude = true;
    TTblData* t = AddTable(c.Target(), "T", {{"ID"}});
    AddTable(c.Master(), "T", {{"ID"}});
    const char* body = "BEGIN EXCEPTION E_GONE; END";
    TPrcData* p = AddRoutine(c.Target(), {"P", body}, {gone});
    AddRoutine(c.Master(), {"P", body});
    TTrgData* trg = AddTrigger(c.Target(), {"TR", "T", baBefore, {iudInsert}, "AS BEGIN EXCEPTION E_GONE; END"});
    c.Target().LinkDepend(trg, gone);
    c.Target().LinkDepend(trg, t);
    AddTrigger(c.Master(), {"TR", "T", baBefore, {iudInsert}, "AS BEGIN EXCEPTION E_GONE; END"});
    AddException(c.Master(), "E_CHG", "new");
    AddException(c.Target(), "E_CHG", "old")->CompExclude = true;
    const std::string s = GeneratedPart(c, testing::TargetFirebird30);
    EXPECT_EQ(s, "") << AsLiteral(s);
    EXPECT_EQ(p->GetBody(), body);
}

// An event that a generator created along the way is not written again, and no heading
// stands over nothing.
TEST(EventGeneratorTest, EventCreatedAlongTheWayIsNotWrittenAgain) {
    Compare c(dbSybaseASA);
    TEvtData* e = AddEvent(c.Master(), "E", "BEGIN END");
    c.keldar.OnBeforeCompare = [e](TObject*) { e->SetObjCreated(true); };
    EXPECT_EQ(GeneratedPart(c), "");
}

TEST(EventGeneratorTest, ChangedBodyIsDroppedAndCreated) {
    Compare c(dbSybaseASA);
    AddEvent(c.Master(), "E", "BEGIN MESSAGE 'new'; END");
    AddEvent(c.Target(), "E", "BEGIN MESSAGE 'old'; END");
    const std::string s = GeneratedPart(c);
    const auto alter = s.find("% Alter event..."), drop = s.find("DROP EVENT E"),
               create = s.find("CREATE EVENT E\r\n ENABLE\r\nHANDLER\r\nBEGIN MESSAGE 'new'; END");
    ASSERT_NE(create, std::string::npos) << AsLiteral(s);
    EXPECT_LT(alter, drop) << AsLiteral(s);
    EXPECT_LT(drop, create);
    EXPECT_EQ(s.find("old"), std::string::npos);
}

// ---------------------------------------------------------------------------
// Whole scripts

// A new exception; one whose message changes case, raised by a procedure and a trigger that
// stay; one only the target has, raised by a procedure and a trigger that the master keeps
// with new bodies.
void FillExceptions(Compare& c, TDatabaseType) {
    for (TDBStructure* side : {&c.master, &c.target}) {
        const bool m = side == &c.master;
        TCustomObjs& o = *side->GetObjs();
        TTblData* t = AddTable(o, "T", {{"ID"}});
        TExcData* chg = AddException(o, "E_CHG", m ? "Abc" : "ABC");
        if (m) AddException(o, "E_NEW", "it's new");
        TExcData* gone = m ? nullptr : AddException(o, "E_GONE", "gone");
        AddRoutine(o, {"P_CHG", "BEGIN EXCEPTION E_CHG; END"}, {chg});
        if (m) {
            AddRoutine(o, {"P_GONE", "BEGIN EXIT; END"});
            AddTrigger(o, {"TR_GONE", "T", baBefore, {iudInsert}, "AS BEGIN NEW.ID = 1; END"});
        } else {
            AddRoutine(o, {"P_GONE", "BEGIN EXCEPTION E_GONE; END"}, {gone});
            TTrgData* trg = AddTrigger(o, {"TR_GONE", "T", baBefore, {iudInsert}, "AS BEGIN EXCEPTION E_GONE; END"});
            o.LinkDepend(trg, gone);
            o.LinkDepend(trg, t);
        }
    }
}

// A new event, one whose schedule changes, one only the target has.
void FillEvents(Compare& c, TDatabaseType) {
    for (TDBStructure* side : {&c.master, &c.target}) {
        const bool m = side == &c.master;
        TCustomObjs& o = *side->GetObjs();
        if (m)
            AddEvent(o, "ev_new", "BEGIN MESSAGE 'new'; END", [](TEvtData& e) {
                TEvtSdlData* s = e.AddSchedule("nightly");
                s->StartTime = "02:00:00";
                s->DaysOfWeek = 0x3E;
            });
        else
            AddEvent(o, "ev_gone", "BEGIN END", [](TEvtData& e) { e.EventType = "Connect"; });
        AddEvent(o, "ev_chg", "BEGIN MESSAGE 'tick'; END", [m](TEvtData& e) {
            TEvtSdlData* s = e.AddSchedule("");
            s->EveryMinutes = m ? 10 : 5;
            s->DaysOfMonth = 1u << 31;
        });
    }
}

using GoldenCase = testing::ScriptCase;
class ExceptionEventGoldenTest : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(ExceptionEventGoldenTest, WholeScript) { testing::ExpectScriptCase(GetParam(), testing::TargetFirebird30); }

const GoldenCase kGolden[] = {
    {"InterBaseExceptions", dbInterBase, FillExceptions, "exceptions/interbase.sql"},
    {"SqlAnywhereEvents", dbSybaseASA, FillEvents, "events/asa.sql"},
};

INSTANTIATE_TEST_SUITE_P(PerDialect, ExceptionEventGoldenTest, ::testing::ValuesIn(kGolden),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace dbtwin
