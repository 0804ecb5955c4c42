// Exceptions and events.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/krvClasses.h"

namespace dbtwin {

class TKeldar;

// An InterBase/Firebird exception: a name and its message.
class TExcData : public TDbObj {
public:
    explicit TExcData(TCustomObjs* aObjs) : TDbObj(aObjs) { fObjType = dboException; }
    const char* ClassName() const override { return "TExcData"; }
    TObjListKind ListKind() const override { return olExc; }

    std::string Msg;       // the message as stored, without quotes
    bool Compare = false;  // kept with the record

    std::string Def() const override;
    std::string AlterDef() const override;
};

class TEvtData;

// One schedule of an event.
class TEvtSdlData : public TObject {
public:
    explicit TEvtSdlData(TEvtData* aEvt) : fEvt(aEvt) {}

    TEvtData* fEvt;  // owning event: quotes the schedule's name
    std::string ObjName;
    std::string StartTime, EndTime;
    std::string StartDate;
    std::int32_t EveryHours = 0, EveryMinutes = 0, EverySeconds = 0;
    std::uint32_t DaysOfWeek = 0;   // bit 0 Sunday ... bit 6 Saturday
    std::uint32_t DaysOfMonth = 0;  // bit i-1: day i; bit 31: the last day of the month

    std::string Def() const;
};

// A SQL Anywhere event: its type or condition, its schedules and its handler (the body).
class TEvtData : public TDbObj {
public:
    explicit TEvtData(TCustomObjs* aObjs) : TDbObj(aObjs) { fObjType = dboEvent; }
    const char* ClassName() const override { return "TEvtData"; }
    TObjListKind ListKind() const override { return olEvt; }

    std::vector<std::unique_ptr<TEvtSdlData>> Schedules;
    std::string EnableAt;  // CONSOLIDATED, REMOTE, ALL
    bool Enabled = true;
    std::string EventType;
    std::string WhereCondition;

    TEvtSdlData* AddSchedule(const std::string& aName);

    std::string Def() const override;
    std::string DropDef() const override;
    void AddCreateDescriptions() override;
};

// Exception generators of the comparer: they take the two sets, the statement list and the
// compared categories.
void GenScriptExptCreate(TCustomObjs* Master, TCustomObjs* Target, TCustomSQLExec* SQLExec,
                         TCmpObjSetType CompareObjects);
void GenScriptExptAlter(TCustomObjs* Master, TCustomObjs* Target, TCustomSQLExec* SQLExec,
                        TCmpObjSetType CompareObjects);
void GenScriptExptDrop(TCustomObjs* Master, TCustomObjs* Target, TCustomSQLExec* SQLExec,
                       TCmpObjSetType CompareObjects);

// Event generators of the comparer.
void GenScriptEvtCreate(TKeldar& Keldar);
void GenScriptEvtAlter(TKeldar& Keldar);
void GenScriptEvtDrop(TKeldar& Keldar);

}  // namespace dbtwin
