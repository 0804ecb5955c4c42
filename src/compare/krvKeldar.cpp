#include "compare/krvKeldar.h"

#include <algorithm>
#include <exception>

#include "core/krvDialect.h"
#include "core/krvMsg.h"
#include "core/krvStrUtils.h"
#include "exec/krvSQL_Exec.h"
#include "extract/krvCustomExtract.h"
#include "objects/krvComp_Ctr.h"
#include "objects/krvComp_Def.h"
#include "objects/krvComp_Dmn.h"
#include "objects/krvComp_Exc.h"
#include "objects/krvComp_Fnc.h"
#include "objects/krvComp_Gnr.h"
#include "objects/krvComp_Idx.h"
#include "objects/krvComp_Pkg.h"
#include "objects/krvComp_Opr.h"
#include "objects/krvComp_Prc.h"
#include "objects/krvComp_Rol.h"
#include "objects/krvComp_Rul.h"
#include "objects/krvComp_Tbl.h"
#include "objects/krvComp_Trg.h"
#include "objects/krvComp_Viw.h"
#include "objects/krvDBStructure.h"

namespace dbtwin {

// ---------------------------------------------------------------------------
// Phase order

void RunMakeScriptHeader(TKeldar& k) { k.MakeScriptHeader(); }
void RunGenScriptDBCharSet(TKeldar& k) { k.GenScriptDBCharSet(); }
void RunGenScriptDBDescription(TKeldar& k) { k.GenScriptDBDescription(); }
void RunCtrCreateAllButDefault(TKeldar& k) {
    GenScriptCtrCreate(k, TConstraintTypeSet{ctPKey, ctUnique, ctFKey, ctCheck, ctKey, ctNotNull, ctReferences});
}
void RunCtrCreateDefault(TKeldar& k) { GenScriptCtrCreate(k, TConstraintTypeSet{ctDefault}); }

namespace {

const TCmpObjSetType kAlways;
const TCmpObjSetType kConstraints{coPrimaryKey, coForeignKey, coUnique, coCheck};
const TDatabaseSetType kAnyKind;
const TDatabaseSetType kPackageKinds{dbInterBase, dbOracle};

TKeldarPhase P(int n, TCmpObjSetType gate, TDatabaseSetType only, std::vector<TKeldarStep> steps,
               bool reportErrors = false) {
    return TKeldarPhase{n, gate, only, std::move(steps), reportErrors};
}

}  // namespace

// Each step names the generator it runs (a test checks Run against the name); a null Run is
// a generator that its object kind does not provide yet.
const std::vector<TKeldarPhase>& KeldarPhases() {
    static const std::vector<TKeldarPhase> phases = {
        P(1, kAlways, kAnyKind, {{"CompareTables", CompareTables}}),
        P(2, kAlways, kAnyKind, {{"MakeScriptHeader", RunMakeScriptHeader}}),
        P(3, kAlways, kAnyKind,
          {{"GenScriptDBCharSet", RunGenScriptDBCharSet},
           {"GenScriptDBDescription", RunGenScriptDBDescription, {coDescription}, {dbInterBase}}}),
        P(4, kAlways, kAnyKind, {{"GenScriptCltCreate", GenScriptCltCreate}, {"GenScriptCltAlter", GenScriptCltAlter}}),
        P(5, kAlways, kAnyKind, {{"GenScriptSchCreate", GenScriptSchCreate}, {"GenScriptSchAlter", GenScriptSchAlter}}),
        P(6, kAlways, {dbPostgreSQL},
          {{"GenScriptCnvCreate", GenScriptCnvCreate}, {"GenScriptCnvAlter", GenScriptCnvAlter}, {"GenScriptOprCreate", GenScriptOprCreate},
           {"GenScriptOprAlter", GenScriptOprAlter}, {"GenScriptOpcCreate", GenScriptOpcCreate},
           {"GenScriptOpcAlter", GenScriptOpcAlter}}),
        P(7, kAlways, {dbMSSQL},
          {{"GenScriptRulCreate", GenScriptRulCreate}, {"GenScriptDefCreate", GenScriptDefCreate},
           {"GenScriptRulAlter", GenScriptRulAlter}, {"GenScriptDefAlter", GenScriptDefAlter}}),
        P(8, kConstraints, kAnyKind, {{"GenScriptCtrDrop", GenScriptCtrDrop}}),
        P(9, {coDomain}, kAnyKind, {{"GenScriptDmnCreate", GenScriptDmnCreate}}),
        P(10, {coFunction}, kAnyKind, {{"GenScriptUdfCreate", RunOnSets<GenScriptUdfCreate>}}),
        P(11, {coTrigger}, kAnyKind, {{"GenScriptDropTrgEmpty", RunOnSets<GenScriptDropTrgEmpty>}}),
        P(12, {coProcedure}, kAnyKind, {{"GenScriptProcDrop", GenScriptProcDrop}}),
        P(13, {coTrigger}, kAnyKind, {{"GenScriptTrigDrop", RunOnSets<GenScriptTrigDrop>}}),
        P(14, {coIndex}, kAnyKind, {{"GenScriptIdxDrop", GenScriptIdxDrop}}),
        P(15, {coView}, kAnyKind, {{"GenScriptViewDrop", RunOnSets<GenScriptViewDrop>}}),
        P(16, {coFunction}, kAnyKind, {{"GenScriptUdfAlter", GenScriptUdfAlter}}),
        P(17, {coException}, kAnyKind, {{"GenScriptExptDrop", RunOnSets<GenScriptExptDrop>}}),
        P(18, {coFunction}, kAnyKind, {{"GenScriptUdfDrop", RunOnSets<GenScriptUdfDrop>}}),
        P(19, {coDomain}, kAnyKind, {{"GenScriptDmnAlter", GenScriptDmnAlter}}),
        P(20, {coTable}, kAnyKind, {{"GenScriptTablCreate", GenScriptTablCreate}}),
        P(21, {coTable}, kAnyKind, {{"GenScriptTblFldCreate", GenScriptTblFldCreate}, {"GenScriptTablAlter", GenScriptTablAlter}}),
        P(22, {coTable}, kAnyKind, {{"GenScriptTablDrop", GenScriptTablDrop}}),
        P(23, {coProcedure}, kAnyKind, {{"GenScriptProcCreate", GenScriptProcCreate}}),
        P(24, {coDomain}, kAnyKind, {{"GenScriptDmnDrop", GenScriptDmnDrop}}),
        P(25, {coView}, kAnyKind, {{"GenScriptViewCreate", GenScriptViewCreate}}, true),
        P(26, {coView}, kAnyKind, {{"GenScriptViewAlter", RunOnSets<GenScriptViewAlter>}}),
        P(27, {coRule}, kAnyKind, {{"GenScriptRulCreate", GenScriptRulCreate}}),
        P(28, {coIndex}, kAnyKind, {{"GenScriptIdxCreate", GenScriptIdxCreate}}),
        P(29, {coIndex}, kAnyKind, {{"GenScriptIdxAlter", GenScriptIdxAlter}}),
        P(30, {coGenerator}, kAnyKind, {{"GenScriptGenrCreate", GenScriptGenrCreate}}),
        P(31, {coException}, kAnyKind, {{"GenScriptExptCreate", RunOnSets<GenScriptExptCreate>}}),
        P(32, {coException}, kAnyKind, {{"GenScriptExptAlter", RunOnSets<GenScriptExptAlter>}}),
        // Packages get their headers and bodies once the tables, routine stubs, views,
        // sequences and exceptions they may use exist, and before the checks, routines and
        // triggers that call them are written (34 on).
        P(33, kAlways, kAnyKind,
          {{"GenScriptPkgAlter", GenScriptPkgAlter, kAlways, kPackageKinds},
           {"GenScriptPkgCreate", GenScriptPkgCreate, kAlways, kPackageKinds},
           {"GenScriptCtrCreate (all but ctDefault)", RunCtrCreateAllButDefault, kConstraints}}),
        P(34, {coProcedure}, kAnyKind, {{"GenScriptProcAlter", GenScriptProcAlter}}),
        P(35, kConstraints, kAnyKind, {{"GenScriptCtrCreate (ctDefault)", RunCtrCreateDefault}}),
        P(36, {coTrigger}, kAnyKind, {{"GenScriptTrigCreate", RunOnSets<GenScriptTrigCreate>}}),
        P(37, {coView}, kAnyKind, {{"GenScriptViewCreate", GenScriptViewCreate}}),
        P(38, {coTrigger}, kAnyKind, {{"GenScriptTrigAlter", GenScriptTrigAlter}}),
        P(39, {coGenerator}, kAnyKind, {{"GenScriptGenrAlter", GenScriptGenrAlter}, {"GenScriptGenrDrop", GenScriptGenrDrop}}),
        P(40, {coProcedure}, kAnyKind, {{"GenScriptProcAlter", GenScriptProcAlter}}),
        P(41, kAlways, {dbMSSQL}, {{"GenScriptDefDrop", GenScriptDefDrop}, {"GenScriptRulDrop", GenScriptRulDrop}}),
        // A package only the target has goes once the routines and triggers that used it
        // have their new bodies.
        P(42, kAlways, kPackageKinds, {{"GenScriptPkgDrop", GenScriptPkgDrop}}),
        P(43, {coTable}, kAnyKind, {{"GenScriptTblFldPosition", GenScriptTblFldPosition}}),
        P(44, {coTable}, kAnyKind,
          {{"GenScriptPblDrop", GenScriptPblDrop}, {"GenScriptPblAlter", GenScriptPblAlter}, {"GenScriptPblCreate", GenScriptPblCreate}}),
        P(45, {coRole}, kAnyKind, {{"GenScriptRoleCreate", GenScriptRoleCreate}, {"GenScriptRoleAlter", GenScriptRoleAlter}}),
        P(46, kAlways, {dbPostgreSQL},
          {{"GenScriptOpcDrop", GenScriptOpcDrop}, {"GenScriptOprDrop", GenScriptOprDrop}, {"GenScriptCnvDrop", GenScriptCnvDrop},
           {"GenScriptRulAlter", GenScriptRulAlter}, {"GenScriptRulDrop", GenScriptRulDrop}}),
        P(47, kAlways, kAnyKind,
          {{"GenScriptEvtCreate", GenScriptEvtCreate}, {"GenScriptEvtAlter", GenScriptEvtAlter},
           {"GenScriptEvtDrop", GenScriptEvtDrop}, {"GenScriptSchDrop", GenScriptSchDrop}, {"GenScriptCltDrop", GenScriptCltDrop}}),
        P(48, {coGrant, coRoleGrant, coUserGrant}, kAnyKind,
          {{"GenScriptGntDrop", GenScriptGntDrop}, {"GenScriptGntCreate", GenScriptGntCreate}}),
        P(49, {coRole}, kAnyKind, {{"GenScriptRoleDrop", GenScriptRoleDrop}}),
    };
    return phases;
}

namespace {
bool GateOpens(TCmpObjSetType aAnyOf, TDatabaseSetType aOnlyFor, TCmpObjSetType aCompareObjects,
               TDatabaseType aTargetType) {
    if (!aAnyOf.IsEmpty() && (aAnyOf * aCompareObjects).IsEmpty()) return false;
    return aOnlyFor.IsEmpty() || aOnlyFor.Contains(aTargetType);
}
}  // namespace

bool StepRuns(const TKeldarStep& aStep, TCmpObjSetType aCompareObjects, TDatabaseType aTargetType) {
    return GateOpens(aStep.AnyOf, aStep.OnlyFor, aCompareObjects, aTargetType);
}

bool PhaseRuns(const TKeldarPhase& aPhase, TCmpObjSetType aCompareObjects, TDatabaseType aTargetType) {
    if (!GateOpens(aPhase.AnyOf, aPhase.OnlyFor, aCompareObjects, aTargetType)) return false;
    for (const TKeldarStep& step : aPhase.Steps)
        if (StepRuns(step, aCompareObjects, aTargetType)) return true;
    return aPhase.Steps.empty();
}

// ---------------------------------------------------------------------------
// TCustomKeldar

TCustomKeldar::TCustomKeldar(TComponent* aOwner) : TComponent(aOwner) {}

TCustomKeldar::~TCustomKeldar() {
    // Leave the linked sets without a statement list that dies with this comparer.
    for (TCustomObjs* objs : {GetMObjs(), GetTObjs()})
        if (objs && fInternalSQLExec && objs->GetSQLExec() == fInternalSQLExec.get()) objs->SetSQLExec(nullptr);
}

bool TCustomKeldar::ExtractAndCompareDatabases() {
    if (!ExtractDatabases()) return false;
    CompareDatabases();
    return true;
}

void TCustomKeldar::SetDBStructureMaster(TCustomDBStructure* aStructure) {
    SetDBStructure(fDBMaster, aStructure, crMasterRole);
}

void TCustomKeldar::SetDBStructureTarget(TCustomDBStructure* aStructure) {
    SetDBStructure(fDBTarget, aStructure, crTargetRole);
}

void TCustomKeldar::SetDBStructure(TCustomDBStructure*& aSlot, TCustomDBStructure* aStructure,
                                   TCompareRoleType aRole) {
    if (aSlot == aStructure) return;
    if (aSlot) {
        if (aSlot->GetObjs()) aSlot->GetObjs()->SetLinkedObjs(nullptr);
        RemoveFreeNotification(aSlot);
    }
    aSlot = aStructure;
    if (aSlot) {
        FreeNotification(aSlot);
        if (aSlot->GetExtractor()) aSlot->GetExtractor()->SetShowFullLog(fShowFullLog);
        if (aSlot->GetObjs()) aSlot->GetObjs()->SetCompareRole(aRole);
    }
    LinkDB();
}

void TCustomKeldar::LinkDB() {
    TCustomObjs* m = GetMObjs();
    TCustomObjs* t = GetTObjs();
    if (!m || !t) return;
    m->SetCompareRole(crMasterRole);
    t->SetCompareRole(crTargetRole);
    m->SetLinkedObjs(t);
    t->SetLinkedObjs(m);
}

void TCustomKeldar::SetExtractorMaster(TCustomExtract* aExtractor) { SetExtractor(fExtractorMaster, aExtractor); }

void TCustomKeldar::SetExtractorTarget(TCustomExtract* aExtractor) { SetExtractor(fExtractorTarget, aExtractor); }

void TCustomKeldar::SetExtractor(TCustomExtract*& aSlot, TCustomExtract* aExtractor) {
    if (aSlot) RemoveFreeNotification(aSlot);
    aSlot = aExtractor;
    if (aSlot) FreeNotification(aSlot);
}

void TCustomKeldar::SetSQLExec(TCustomSQLExec* aExec) {
    if (fSQLExec) RemoveFreeNotification(fSQLExec);
    if (fInternalSQLExec && aExec && aExec != fInternalSQLExec.get()) {
        for (TCustomObjs* objs : {GetMObjs(), GetTObjs()})
            if (objs && objs->GetSQLExec() == fInternalSQLExec.get()) objs->SetSQLExec(nullptr);
        fInternalSQLExec.reset();
    }
    fSQLExec = aExec;
    if (fSQLExec) FreeNotification(fSQLExec);
}

TCustomSQLExec* TCustomKeldar::GetSQLExec() const { return fSQLExec ? fSQLExec : fInternalSQLExec.get(); }

TCustomObjs* TCustomKeldar::GetMObjs() const { return fDBMaster ? fDBMaster->GetObjs() : nullptr; }
TCustomObjs* TCustomKeldar::GetTObjs() const { return fDBTarget ? fDBTarget->GetObjs() : nullptr; }

void TCustomKeldar::SetShowFullLog(bool aValue) {
    fShowFullLog = aValue;
    for (TCustomDBStructure* s : {fDBMaster, fDBTarget})
        if (s && s->GetExtractor()) s->GetExtractor()->SetShowFullLog(aValue);
}

void TCustomKeldar::Notification(TComponent* aComponent, TOperation aOperation) {
    TComponent::Notification(aComponent, aOperation);
    if (aOperation != opRemove) return;
    if (aComponent == fDBMaster) fDBMaster = nullptr;
    if (aComponent == fDBTarget) fDBTarget = nullptr;
    if (aComponent == fSQLExec) {
        for (TCustomObjs* objs : {GetMObjs(), GetTObjs()})
            if (objs && objs->GetSQLExec() == fSQLExec) objs->SetSQLExec(nullptr);
        fSQLExec = nullptr;
    }
    if (aComponent == fExtractorMaster) fExtractorMaster = nullptr;
    if (aComponent == fExtractorTarget) fExtractorTarget = nullptr;
}

std::string TCustomKeldar::QuoteIdent(const std::string& aIdent) const {
    TCustomObjs* t = GetTObjs();
    if (!t) return aIdent;
    return Quote_Ident(aIdent, t->GetDatabaseType(), t->fIBServerOptions.GetSQLServerVersion(),
                       t->fIBServerOptions.GetSQLDialect());
}

void TCustomKeldar::DoLogNextLine(const std::string& aText) {
    if (OnLogNextLine) OnLogNextLine(this, aText);
}

void TCustomKeldar::DoProgressUpdate(int Value, int MaxValue) {
    if (OnProgressUpdate) OnProgressUpdate(this, Value, MaxValue);
}

void TCustomKeldar::DoErrorMessage(const std::string& aText) {
    if (OnErrorMessage) OnErrorMessage(this, aText);
    else ShowMessage(aText);
}

void TCustomKeldar::CopyCompareOptions(TCustomObjs* aObjs) const {
    aObjs->AssignCompareOptions(*this);
}

std::string TCustomKeldar::PropertyError(const char* aProperty) const {
    return std::string("TKeldar(") + GetName() + "): property " + aProperty + " not assigned.";
}

// ---------------------------------------------------------------------------
// TKeldar

TKeldar::TKeldar(TComponent* aOwner) : TCustomKeldar(aOwner) {}

bool TKeldar::ExtractOne(TCustomDBStructure* aStructure, TCustomExtract* aExtractor, bool aTarget) {
    aExtractor->SetDBStructure(aStructure);
    aExtractor->SetShowFullLog(fShowFullLog);
    TCustomObjs* objs = aStructure->GetObjs();
    CopyCompareOptions(objs);
    aExtractor->SetExtractObjects(fIBCompareOptions.GetExtractOnlyComparedObjects() ? fCompareObjects
                                                                                   : TCmpObjSetType::All());
    objs->SetCompareObjects(fCompareObjects);
    const bool ok = aExtractor->ExtractDatabase();
    if (aTarget) fConnectionOptions.Assign(objs->fConnectionOptions);
    fMsgMngr.CopyFrom(&aExtractor->GetMsgManager());
    // A failed extraction is never compared, even when the extractor gave no reason: the
    // set would be incomplete and its missing objects would be dropped from the other side.
    if (!ok && !fMsgMngr.GetIsErr())
        fMsgMngr.AddMsg(aTarget ? "Extraction of the target failed." : "Extraction of the master failed.", mt_Err);
    return ok;
}

bool TKeldar::ExtractDatabases() {
    fMsgMngr.Clear();
    fAllowExtractMaster = fAllowExtractTarget = fAllowCompare = true;
    ClearWarnings();
    if (OnBeforeExtract) OnBeforeExtract(this);

    bool targetDone = false, masterDone = false;
    if (fAllowExtractTarget) {
        if (OnBeforeExtractTarget) OnBeforeExtractTarget(this);
        bool missing = false;
        if (!fExtractorTarget) DoErrorMessage(PropertyError("ExtractorTarget")), missing = true;
        if (!fDBTarget) DoErrorMessage(PropertyError("DBStructureTarget")), missing = true;
        if (missing) {
            fAllowCompare = false;
            return false;
        }
        targetDone = ExtractOne(fDBTarget, fExtractorTarget, true);
        if (OnAfterExtractTarget) OnAfterExtractTarget(this);
    }
    if (fAllowExtractMaster) {
        if (OnBeforeExtractMaster) OnBeforeExtractMaster(this);
        bool missing = false;
        if (!fExtractorMaster) DoErrorMessage(PropertyError("ExtractorMaster")), missing = true;
        if (!fDBMaster) DoErrorMessage(PropertyError("DBStructureMaster")), missing = true;
        if (missing) {
            fAllowCompare = false;
            return false;
        }
        if (fMsgMngr.GetIsErr()) {
            fAllowCompare = false;
        } else {
            masterDone = ExtractOne(fDBMaster, fExtractorMaster, false);
            if (OnAfterExtractMaster) OnAfterExtractMaster(this);
        }
    }
    const bool failed = fMsgMngr.GetIsErr();
    if (failed) fAllowCompare = false;
    if (targetDone && GetTObjs()) fConnectionOptions.Assign(GetTObjs()->fConnectionOptions);
    else if (masterDone && GetMObjs()) fConnectionOptions.Assign(GetMObjs()->fConnectionOptions);

    TCustomObjs* m = GetMObjs();
    TCustomObjs* t = GetTObjs();
    if (!failed && m && t && m->GetDatabaseType() != t->GetDatabaseType()) {
        // Converting a master of another database kind is not available: comparing the
        // sets as they are would write a script in the wrong dialect.
        DoErrorMessage("Master and target are of different database kinds; conversion between them is not supported.");
        fMsgMngr.AddMsg("Master and target are of different database kinds.", mt_Err);
        fAllowCompare = false;
        return false;
    }
    if (m && t) {
        LinkRefs();
        m->SetSourceDefinition();
        t->SetSourceDefinition();
        SetObjsCreated();
        AssignDiffs();
        // Remember the links as extracted: every comparison starts from them.
        m->SaveLinkStates();
        t->SaveLinkStates();
    }
    if (OnAfterExtract) OnAfterExtract(this);
    return !failed;
}

namespace {

void MatchPair(TDbObj* a, TDbObj* b) {
    a->SetRefObj(b);
    b->SetRefObj(a);
}

// Matches the objects of the compared kind lists of A with those of B by kind and key,
// and the columns of matched tables and views.
void LinkReferences(TCustomObjs& A, TCustomObjs& B) {
    for (const TKindList& row : TCustomObjs::KindLists()) {
        if (!row.Compared) continue;
        row.ForEach(A, [&](TDbObj* obj) {
            TDbObj* other = row.Find(B, obj->GetObjKeyDef());
            if (!other) return;
            MatchPair(obj, other);
            if (!row.ColumnsMatched) return;
            const TFldList* cols = obj->GetColumns();
            const TFldList* otherCols = other->GetColumns();
            if (!cols || !otherCols) return;
            std::size_t hint = 0;
            for (TFldData* f : *cols)
                if (TFldData* g = otherCols->FindNear(f->GetObjKeyDef(), hint)) MatchPair(f, g);
        });
    }
}

// Calls f for every object of the compared kind lists, and for the columns of the lists
// whose columns take part in the created flags (tables).
template <typename F>
void ForEachListed(TCustomObjs& o, F f) {
    for (const TKindList& row : TCustomObjs::KindLists()) {
        if (!row.Compared) continue;
        row.ForEach(o, [&](TDbObj* x) {
            f(x);
            if (!row.ColumnsFlagged) return;
            if (const TFldList* cols = x->GetColumns())
                for (TFldData* c : *cols) f(c);
        });
    }
}

}  // namespace

void TKeldar::LinkRefs() {
    TCustomObjs* m = GetMObjs();
    TCustomObjs* t = GetTObjs();
    if (!m || !t) return;
    // Matching starts afresh: links of an earlier run must not survive.
    ForEachListed(*m, [](TDbObj* o) { o->SetRefObj(nullptr); });
    ForEachListed(*t, [](TDbObj* o) { o->SetRefObj(nullptr); });
    LinkReferences(*m, *t);
    LinkReferences(*t, *m);
    if (m->GetDatabaseType() == dbInterBase && t->GetDatabaseType() == dbInterBase) {
        // The letter case of a closing WITH CHECK OPTION never counts as a difference.
        static const std::string kClause = "WITH CHECK OPTION";
        for (TViwData* mv : m->Viw) {
            auto* tv = dynamic_cast<TViwData*>(mv->GetRefObj());
            if (!tv || mv->fBody.size() < kClause.size() || tv->fBody.size() < kClause.size()) continue;
            const std::string mt = mv->fBody.substr(mv->fBody.size() - kClause.size());
            const std::string tt = tv->fBody.substr(tv->fBody.size() - kClause.size());
            if (SameText(mt, kClause) && SameText(tt, kClause) && mt != tt)
                tv->fBody.edit().replace(tv->fBody.size() - kClause.size(), kClause.size(), mt);
        }
    }
}

void TKeldar::SetObjsCreated() {
    TCustomObjs* m = GetMObjs();
    TCustomObjs* t = GetTObjs();
    if (!m || !t) return;
    ForEachListed(*m, [](TDbObj* o) { o->SetObjCreated(o->GetRefObj() != nullptr); });
    ForEachListed(*t, [](TDbObj* o) { o->SetObjCreated(true); });
}

void TKeldar::AssignDiffs() {
    TCustomObjs* m = GetMObjs();
    TCustomObjs* t = GetTObjs();
    if (!m || !t) return;
    auto fill = [](auto& a, auto& b) {
        if (a.empty()) a = b;
        if (b.empty()) b = a;
    };
    if (t->GetDatabaseType() == dbMySQL) {
        for (TTblData* mt : m->Tbl) {
            auto* tt = dynamic_cast<TTblData*>(mt->GetRefObj());
            if (!tt) continue;
            fill(mt->fMySQLOptions.Engine, tt->fMySQLOptions.Engine);
            std::string mc = mt->fMySQLOptions.GetDefCharSet(), tc = tt->fMySQLOptions.GetDefCharSet();
            fill(mc, tc);
            mt->fMySQLOptions.SetDefCharSet(mc);
            tt->fMySQLOptions.SetDefCharSet(tc);
            fill(mt->fMySQLOptions.DefCollate, tt->fMySQLOptions.DefCollate);
        }
    } else if (t->GetDatabaseType() == dbOracle) {
        const std::string& db = t->fConnectionOptions.GetDatabaseName();
        const std::string schema = db != t->fConnectionOptions.GetHostName() ? db : std::string();
        if (!schema.empty()) {
            // The target connection's schema becomes the schema of the master objects.
            auto setSchema = [&schema](auto& list) {
                for (auto* o : list) o->fSchema = schema;
                list.ReKey([](auto* o) { return o->GetObjKeyDef(); });
            };
            setSchema(m->Gnr);
            setSchema(m->Tbl);
            setSchema(m->Viw);
            setSchema(m->Ctr);
            setSchema(m->Idx);
            setSchema(m->Trg);
            // The keys changed: match again, so that the tables below find their counterparts.
            LinkRefs();
            SetObjsCreated();
        }
        for (TTblData* mt : m->Tbl) {
            auto* tt = dynamic_cast<TTblData*>(mt->GetRefObj());
            if (!tt) continue;
            mt->fTblSpace.AssignDiffs(tt->fTblSpace);
            if (mt->Storage.empty() || tt->Storage.empty()) mt->Storage.clear(), tt->Storage.clear();
            if (mt->TableSpace.empty() || tt->TableSpace.empty()) mt->TableSpace.clear(), tt->TableSpace.clear();
        }
    }
}

void TKeldar::CompareDatabases() {
    if (!fAllowCompare) return;
    if (!fDBTarget) {
        DoErrorMessage(PropertyError("DBStructureTarget"));
        return;
    }
    if (!fDBMaster) {
        DoErrorMessage(PropertyError("DBStructureMaster"));
        return;
    }
    TCustomObjs* m = GetMObjs();
    TCustomObjs* t = GetTObjs();

    ClearWarnings();
    fMsgMngr.Clear();
    for (TCustomObjs* o : {m, t}) {
        o->CurrentSchema.clear();
        o->CurrentSchemaPath.clear();
    }
    // Every run starts from the extracted state: links re-activated, objects re-matched.
    m->RestoreLinkStates();
    t->RestoreLinkStates();
    LinkRefs();
    m->SetSourceDefinition();
    t->SetSourceDefinition();
    SetObjsCreated();
    if (OnBeforeCompare) OnBeforeCompare(this);

    if (!GetSQLExec()) {
        auto exec = std::make_unique<TSQLExec>();
        exec->OnErrorMessage = [this](TObject*, const std::string& s) { DoErrorMessage(s); };
        exec->OnLogNextLine = [this](TObject*, const std::string& s) { DoLogNextLine(s); };
        exec->OnProgressUpdate = [this](TObject*, int v, int mx) { DoProgressUpdate(v, mx); };
        fInternalSQLExec = std::move(exec);
    }
    TCustomSQLExec* ex = GetSQLExec();
    ex->Clear();
    ex->SetDatabaseType(t->GetDatabaseType());
    if (auto* sqlExec = dynamic_cast<TSQLExec*>(ex)) {
        // The script text needs the target's InterBase, SQL Server and MySQL options.
        sqlExec->Assign(*t, TDatabaseSetType{dbInterBase, dbMSSQL, dbMySQL});
        sqlExec->SetConnectionOptions(t->fConnectionOptions);
    }
    m->fIBServerOptions.SetIBCompareOptions(fIBCompareOptions);
    t->fIBServerOptions.SetIBCompareOptions(fIBCompareOptions);
    if (auto* sqlExec = dynamic_cast<TSQLExec*>(ex)) sqlExec->GetIBServerOptions().SetIBCompareOptions(fIBCompareOptions);
    m->SetSQLExec(ex);
    t->SetSQLExec(ex);
    fConnectionOptions.Assign(t->fConnectionOptions);
    m->fGenTargetDef = true;

    DoLogNextLine("Comparing databases...");
    struct GenTargetReset {
        TCustomObjs* m;
        ~GenTargetReset() { m->fGenTargetDef = false; }
    } reset{m};
    RunPhases();
    if (OnAfterCompare) OnAfterCompare(this);
}

const std::vector<TKeldarPhase>& TKeldar::Phases() const { return KeldarPhases(); }

void TKeldar::RunPhases() {
    TCustomObjs* m = GetMObjs();
    TCustomObjs* t = GetTObjs();
    std::vector<TObjListKind> warned;
    // A kind without its generator is not left out in silence when the sets hold its objects.
    auto warnPending = [&](const TKeldarStep& step) {
        const TKindList* row = TCustomObjs::KindListOf(step.Kind);
        if (!row || std::find(warned.begin(), warned.end(), step.Kind) != warned.end()) return;
        bool held = false;
        for (TCustomObjs* o : {m, t})
            row->ForEach(*o, [&held](TDbObj* x) { held = held || !x->CompExclude; });
        if (!held) return;
        warned.push_back(step.Kind);
        AddWarning(std::string("Objects of kind ") + (*row->Word ? row->Word : row->Name) +
                   " are not compared: this build has no " + step.Name);
    };
    for (const TKeldarPhase& phase : Phases()) {
        if (!PhaseRuns(phase, fCompareObjects, t->GetDatabaseType())) continue;
        for (const TKeldarStep& step : phase.Steps) {
            if (!StepRuns(step, fCompareObjects, t->GetDatabaseType())) continue;
            if (!step.Run) {
                warnPending(step);
                continue;
            }
            if (!phase.ReportErrors) {
                step.Run(*this);
                continue;
            }
            try {
                step.Run(*this);
            } catch (const std::exception& e) {
                DoErrorMessage(e.what());
            }
        }
    }
}

void TCustomKeldar::AddWarning(const std::string& aText, TStatement* aStatement, bool aComment) {
    fWrnScript.push_back(aText);
    fWrnStatements.push_back(aStatement);
    if (!aComment) return;
    TCustomSQLExec* ex = GetSQLExec();
    TCustomObjs* t = GetTObjs();
    if (ex) ex->InsertComment(DialectTraits(t ? t->GetDatabaseType() : dbAbstract).SafeComment(aText), aStatement);
}

void TCustomKeldar::ClearWarnings() {
    fWrnScript.clear();
    fWrnStatements.clear();
}

void TKeldar::MakeScriptHeader() {
    TCustomObjs* t = GetTObjs();
    TCustomSQLExec* ex = GetSQLExec();
    if (!t || !ex) return;
    // The script names the character set its own text is in, whatever the client's is:
    // UTF-8, or windows-1252 when the statement list is to be written as ANSI text.
    const bool ansi = ex->GetEncode() == encANSI;
    switch (t->GetDatabaseType()) {
        case dbInterBase: {
            const TIBServerOptions& ib = t->fIBServerOptions;
            const std::string info = ib.DBInfoDef();
            if (!Trim(info).empty()) ex->Add(info + "\r\n", stComment);
            // Before the CONNECT, which opens the attachment in it.
            const std::string names = ansi ? "WIN1252" : "UTF8";
            ex->Add("SET NAMES " + names, stSetNames, names);
            if (ib.GetSQLDialect() == 3) ex->Add("SET SQL DIALECT 3", stSqlDialect, "3");
            // The script is written out: it names the user, never the password.
            const std::string connect = ib.ConnectDatabaseDef(t->fConnectionOptions, false);
            if (!connect.empty()) ex->Add(connect, stConnect);
            if (!fIBCompareOptions.GetGenerateCOMMIT()) ex->Add("SET AUTODDL ON", stSet);
            break;
        }
        case dbMySQL: {
            const TMySQLServerOptions& my = t->fMySQLServerOptions;
            if (!my.GetCharSet().empty()) ex->Add("SET CHARACTER SET " + my.GetCharSet(), stCharSet);
            ex->Add(ansi ? "SET NAMES latin1" : "SET NAMES utf8mb4", stSetNames);
            // A session that is not strict would cut values and turn NULLs into defaults in
            // silence: the script's statements fail instead. The session's other modes stay.
            ex->Add("SET SESSION sql_mode = CONCAT_WS(',', NULLIF(@@SESSION.sql_mode, ''), 'STRICT_TRANS_TABLES')",
                    stSet);
            if (!fConnectionOptions.GetDatabaseName().empty())
                ex->Add("USE " + QuoteIdent(fConnectionOptions.GetDatabaseName()), stConnect);
            break;
        }
        case dbPostgreSQL:
            ex->Add(ansi ? "SET client_encoding = 'WIN1252'" : "SET client_encoding = 'UTF8'", stSet);
            break;
        case dbMSSQL: {
            const TMSSQLServerOptions& ms = t->fMSSQLServerOptions;
            if (!ms.GetDBCharSet().empty()) ex->Add("-- Default character set: " + ms.GetDBCharSet() + "\r\n", stComment);
            if (!ms.GetCollation().empty()) ex->Add("-- Default collation: " + ms.GetCollation() + "\r\n", stComment);
            const std::string& db = fConnectionOptions.GetDatabaseName();
            if (!db.empty()) ex->Add("USE " + QuoteIdent(db), stConnect);
            TCustomObjs* m = GetMObjs();
            if (m && m->fMSSQLServerOptions.GetMSSQLDatabaseOptions().GetRecursiveTriggersEnabled() &&
                !ms.GetMSSQLDatabaseOptions().GetRecursiveTriggersEnabled())
                ex->Add("ALTER DATABASE " + QuoteIdent(db) + " SET RECURSIVE_TRIGGERS ON", stStatement, db,
                        dboDatabase, odbAlter);
            break;
        }
        case dbSybaseASE: {
            const TASEDatabaseOptions& o = t->fASEServerOptions.GetASEDatabaseOptions();
            const std::string& db = fConnectionOptions.GetDatabaseName();
            auto comment = [ex](const std::string& label, const std::string& value) {
                if (!value.empty()) ex->Add(label + value, stComment);
            };
            comment("-- ", o.GetServerVersion());
            comment("-- Database: ", db);
            comment("-- Size    : ", o.GetDb_Size());
            comment("-- Owner   : ", o.GetDbOwner());
            comment("-- Created : ", o.GetDbCreated());
            comment("-- Options : ", o.GetDbOptions());
            if (!o.GetServerVersion().empty()) ex->Add("\r\n", stComment);
            if (!db.empty()) ex->Add("use " + QuoteIdent(db), stConnect);
            TCustomObjs* m = GetMObjs();
            if (m && fASECompareOptions.GetCompareDBOptions() && !db.empty()) {
                const TASEDBOptions& mo = m->fASEServerOptions.GetASEDatabaseOptions().GetASEDBOptions();
                const TASEDBOptions& to = o.GetASEDBOptions();
                if (!(mo == to)) {
                    for (std::size_t i = 0; i < EnumCount<TASEDBOption>; ++i) {
                        auto opt = static_cast<TASEDBOption>(i);
                        if (mo.Contains(opt) == to.Contains(opt)) continue;
                        ex->Add("exec master.dbo.sp_dboption " + db + ", " +
                                    ScriptQuotedStr(TASEDatabaseOptions::DBOptionStr(opt), dbSybaseASE) + ", " +
                                    (mo.Contains(opt) ? "True" : "False"),
                                stStatement, db, dboDatabase, odbAlter);
                    }
                    ex->Add("checkpoint", stStatement, db, dboDatabase);
                }
            }
            break;
        }
        case dbOracle: {
            const std::string& user = fConnectionOptions.GetUserName();
            const std::string& db = fConnectionOptions.GetDatabaseName();
            if (!user.empty()) ex->Add("-- CONNECT " + user + "/*****" + "@" + db + ";", stComment);
            if (!db.empty() && db != fConnectionOptions.GetHostName())
                ex->Add("ALTER SESSION SET CURRENT_SCHEMA = " + QuoteIdent(db), stSet);
            break;
        }
        default:
            break;
    }
}

void TKeldar::GenScriptDBCharSet() {
    TCustomObjs* m = GetMObjs();
    TCustomObjs* t = GetTObjs();
    TCustomSQLExec* ex = GetSQLExec();
    if (!m || !t || !ex || t->GetDatabaseType() != dbInterBase || !fIBCompareOptions.GetDbCharsetCompare()) return;
    const std::string c = m->fIBServerOptions.GetDBCharSet();
    if (c == t->fIBServerOptions.GetDBCharSet()) return;
    const TIBSQLServerVersionType ver = t->fIBServerOptions.GetSQLServerVersion();
    const bool fb3 = ver == st_Firebird_30 || ver == st_Firebird_40;
    std::string n;
    if (!c.empty()) {
        if (!fb3) {
            ex->Add("UPDATE RDB$DATABASE SET RDB$CHARACTER_SET_NAME = " + ScriptQuotedStr(c, dbInterBase), stStatement);
        } else {
            ex->Add("ALTER DATABASE SET DEFAULT CHARACTER SET " + c, stStatement);
            ex->Add("/* Database charset: " + c + " */" + "\r\n", stComment);
        }
        n = c;
    } else {
        if (fb3) {
            ex->Add("ALTER DATABASE SET DEFAULT CHARACTER SET NONE", stStatement);
            ex->Add("/* Database charset: <none> */\r\n", stComment);
        } else {
            ex->Add("UPDATE RDB$DATABASE SET RDB$CHARACTER_SET_NAME = Null", stStatement);
        }
        n = "NONE";
    }
    ex->Add("SET NAMES " + n, stCharSet);
    ex->AddReConnect();
}

void TKeldar::GenScriptDBDescription() {
    TCustomObjs* m = GetMObjs();
    TCustomObjs* t = GetTObjs();
    TCustomSQLExec* ex = GetSQLExec();
    if (!m || !t || !ex || t->GetDatabaseType() != dbInterBase || m->DBDescription == t->DBDescription) return;
    switch (t->fIBServerOptions.GetSQLServerVersion()) {
        case st_Firebird_20: case st_Firebird_21: case st_Firebird_25: case st_Firebird_30: case st_Firebird_40: break;
        default: return;  // older servers and InterBase have no COMMENT ON DATABASE
    }
    const std::string& d = m->DBDescription;
    ex->Add("COMMENT ON DATABASE IS " + (d.empty() ? std::string("NULL") : ScriptQuotedStr(d, dbInterBase)), stStatement);
}

}  // namespace dbtwin
