#include "objects/krvComp_Exc.h"

#include "compare/krvKeldar.h"
#include "exec/krvSQL_Exec.h"
#include "objects/krvComp_Def.h"

namespace dbtwin {

namespace {

constexpr const char* kCRLF = "\r\n";

// Day names of the weekday mask, bit 0 first: the server's week begins on Sunday.
constexpr const char* kWeekdays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

}  // namespace

// ---------------------------------------------------------------------------
// TExcData

std::string TExcData::Def() const {
    return "CREATE EXCEPTION " + QuoteIdent(fObjName) + " " + ScriptQuotedStr(Msg, GetDatabaseType());
}

std::string TExcData::AlterDef() const {
    return "ALTER EXCEPTION " + QuoteIdent(fObjName) + " " + ScriptQuotedStr(Msg, GetDatabaseType());
}

// ---------------------------------------------------------------------------
// TEvtSdlData, TEvtData

std::string TEvtSdlData::Def() const {
    const TDatabaseType db = fEvt ? fEvt->GetDatabaseType() : dbSybaseASA;
    auto lit = [db](const std::string& s) { return ScriptQuotedStr(s, db); };
    std::string r = "SCHEDULE";
    if (!ObjName.empty()) r += " " + (fEvt ? fEvt->QuoteIdent(ObjName) : ObjName);
    if (!StartTime.empty() && !EndTime.empty()) r += " BETWEEN " + lit(StartTime) + " AND " + lit(EndTime);
    else if (!StartTime.empty()) r += " START TIME " + lit(StartTime);
    if (EveryHours != 0) r += " EVERY " + std::to_string(EveryHours) + " HOURS";
    else if (EveryMinutes != 0) r += " EVERY " + std::to_string(EveryMinutes) + " MINUTES";
    else if (EverySeconds != 0) r += " EVERY " + std::to_string(EverySeconds) + " SECONDS";
    if ((DaysOfWeek & 0x7Fu) != 0) {
        std::string days;
        for (std::uint32_t i = 0; i < 7; ++i)
            if (DaysOfWeek & (1u << i)) days += (days.empty() ? "" : ", ") + lit(kWeekdays[i]);
        r += " ON (" + days + ")";
    }
    if (DaysOfMonth != 0) {
        std::string days = (DaysOfMonth & (1u << 31)) ? "0" : "";
        for (std::uint32_t i = 1; i <= 31; ++i)
            if (DaysOfMonth & (1u << (i - 1))) days += (days.empty() ? "" : ", ") + std::to_string(i);
        r += " ON(" + days + ")";
    }
    if (!StartDate.empty()) r += " START DATE " + lit(StartDate);
    return r;
}

TEvtSdlData* TEvtData::AddSchedule(const std::string& aName) {
    Schedules.push_back(std::make_unique<TEvtSdlData>(this));
    Schedules.back()->ObjName = aName;
    return Schedules.back().get();
}

std::string TEvtData::Def() const {
    std::string r = "CREATE EVENT " + QuoteIdent(fObjName);
    if (!EventType.empty()) r += std::string(kCRLF) + " TYPE " + EventType;
    if (!WhereCondition.empty()) r += std::string(kCRLF) + " WHERE " + WhereCondition;
    for (std::size_t i = 0; i < Schedules.size(); ++i)
        r += (i == 0 ? std::string(kCRLF) + " " : std::string(",") + kCRLF + " ") + Schedules[i]->Def();
    r += std::string(kCRLF) + " " + (Enabled ? "ENABLE" : "DISABLE");
    if (!EnableAt.empty()) r += " AT " + EnableAt;
    if (!fBody.empty()) r += std::string(kCRLF) + "HANDLER" + kCRLF + fBody.str();
    return r;
}

std::string TEvtData::DropDef() const { return "DROP EVENT " + QuoteIdent(fObjName); }

void TEvtData::AddCreateDescriptions() {
    if (!Extra().fDescription.empty()) AddDescription();
}

// ---------------------------------------------------------------------------
// Exception generators

void GenScriptExptCreate(TCustomObjs* M, TCustomObjs* /*T*/, TCustomSQLExec* ex, TCmpObjSetType aCompare) {
    if (!M || !ex) return;
    bool any = false;
    for (TExcData* m : M->Exc) {
        if (m->CompExclude || m->GetRefObj() || m->GetObjCreated()) continue;
        if (!any) ex->AddComment(m->GenComment("Create Exception..."));
        any = true;
        m->AddStatement(m->Def(), stStatement, m->fObjName, dboException, odbCreate);
        m->SetObjCreated(true);
        if (aCompare.Contains(coDescription) && !m->GetDescription().empty()) m->AddDescription();
    }
    if (any) ex->AddComment(kCRLF);
}

void GenScriptExptAlter(TCustomObjs* M, TCustomObjs* /*T*/, TCustomSQLExec* ex, TCmpObjSetType aCompare) {
    if (!M || !ex) return;
    bool any = false;
    for (TExcData* m : M->Exc) {
        auto* t = dynamic_cast<TExcData*>(m->GetRefObj());
        if (!t || m->CompExclude || t->CompExclude) continue;
        if (m->Def() != t->Def()) {
            if (!any) ex->AddComment(m->GenComment("Alter Exception..."));
            any = true;
            m->AddStatement(m->AlterDef(), stStatement, m->fObjName, dboException, odbAlter);
        }
        if (aCompare.Contains(coDescription) && m->GetDescription() != t->GetDescription()) m->AddDescription();
    }
    if (any) ex->AddComment(kCRLF);
}

// Procedures and triggers that raise a dropped exception are emptied first by their drop hooks.
void GenScriptExptDrop(TCustomObjs* /*M*/, TCustomObjs* T, TCustomSQLExec* ex, TCmpObjSetType /*aCompare*/) {
    if (!T) return;
    DropUnmatchedObjects(*T, olExc, ex, [](const TDbObj* t) { return t->GenComment("Drop Exception..."); });
}

// ---------------------------------------------------------------------------
// Event generators

void GenScriptEvtCreate(TKeldar& k) { CreateMissingObjects(k, olEvt, "Create event..."); }

void GenScriptEvtAlter(TKeldar& k) {
    RecreateChangedObjects(k, olEvt, "Alter event...");
    if (!k.GetCompareObjects().Contains(coDescription) || !k.GetMObjs()) return;
    for (TEvtData* m : k.GetMObjs()->Evt) {
        TDbObj* t = m->GetRefObj();
        // A re-created event was written with its description.
        if (!t || m->CompExclude || t->CompExclude || m->Def() != t->Def()) continue;
        if (m->GetDescription() != t->GetDescription()) m->AddDescription();
    }
}

void GenScriptEvtDrop(TKeldar& k) { DropMissingObjects(k, olEvt, "Drop event..."); }

}  // namespace dbtwin
