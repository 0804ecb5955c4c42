// Schemas and publications: their texts and the comparer's generators.
#include "compare/krvKeldar.h"
#include "core/krvDialect.h"
#include "exec/krvSQL_Exec.h"
#include "model/krvCustomDBStructure.h"
#include "objects/krvComp_Tbl.h"

namespace dbtwin {

namespace {

const char* const kCRLF = "\r\n";

std::string JoinComma(const std::vector<std::string>& aItems) {
    std::string r;
    for (const std::string& s : aItems) r += (r.empty() ? "" : ", ") + s;
    return r;
}

}  // namespace

// ---------------------------------------------------------------------------
// TSchData

std::string TSchData::Def() const {
    const TSchemaRules& rules = DialectTraits(GetDatabaseType()).Schemas;
    if (rules.Statements != ssStatements) return std::string();
    std::string r = "CREATE SCHEMA " + QuoteIdent(fObjName);
    const std::string& owner = GetOwnName();
    const bool named = !owner.empty() && (rules.Authorization == saWhenSet ||
                                          (rules.Authorization == saWhenNotItsName && FoldedName(fObjs, owner) != fObjName));
    if (named) r += " AUTHORIZATION " + QuoteIdent(owner);
    return r;
}

std::string TSchData::DropDef() const {
    const TSchemaRules& rules = DialectTraits(GetDatabaseType()).Schemas;
    if (rules.Statements != ssStatements) return std::string();
    return "DROP SCHEMA " + QuoteIdent(fObjName) + rules.DropClause;
}

bool TSchData::ServerProvided() const {
    const TDialectTraits& d = DialectTraits(GetDatabaseType());
    if (d.Schemas.ProvidesDefaultSchema && fObjName == d.DefaultOwner) return true;
    const std::string& sys = Extra().SysName;
    return d.Schemas.SysNameMarksProvided && !sys.empty() && fObjName == sys;
}

void TSchData::AddCreateDescriptions() {
    if (!GetDescription().empty()) AddDescription();
}

// ---------------------------------------------------------------------------
// Publications

std::string TPblArtData::TableName() const {
    const TDialectTraits& d = DialectTraits(fOwner->GetDatabaseType());
    return TDialectTraits::Qualified(fOwner->Quoter(), d.OwnerOrDefault(OwnUser), TblName);
}

std::string TPblArtData::Description() const {
    std::string r = TableName();
    if (!fFlds.empty()) {
        std::vector<std::string> cols;
        for (const std::string& f : fFlds) cols.push_back(fOwner->QuoteIdent(f));
        r += "(" + JoinComma(cols) + ")";
    }
    if (!WhereClause.empty()) r += " WHERE " + WhereClause;
    if (!SubscribeBy.empty()) r += " SUBSCRIBE BY " + SubscribeBy;
    return r;
}

std::string TPblArtData::Def() const { return "    TABLE " + Description(); }

TPblArtData* TPblData::AddArticle(const std::string& aOwnUser, const std::string& aTblName) {
    auto a = std::make_unique<TPblArtData>(this);
    a->OwnUser = aOwnUser;
    a->TblName = aTblName;
    if (!fArticles.Add(aOwnUser + "." + aTblName, a.get())) return nullptr;
    return a.release();
}

namespace {
std::string PublicationName(const TPblData& p) {
    const TDialectTraits& d = DialectTraits(p.GetDatabaseType());
    return TDialectTraits::Qualified(p.Quoter(), d.OwnerOrDefault(p.Extra().OwnUser), p.fObjName);
}
}  // namespace

std::string TPblData::Def() const {
    std::string r = "CREATE PUBLICATION " + PublicationName(*this) + " (" + kCRLF;
    const std::size_t n = fArticles.Count();
    for (std::size_t i = 0; i < n; ++i) r += fArticles.Objects(i)->Def() + (i + 1 < n ? ", " : "") + kCRLF;
    return r + ")";
}

std::string TPblData::DropDef() const { return "DROP PUBLICATION " + PublicationName(*this); }

// Every version the library knows (up to 9) modifies an article with MODIFY TABLE, which
// takes the whole article again; later servers also take ALTER TABLE.
std::vector<std::string> TPblData::AlterDefs(const TPblData& aOld) const {
    const std::string head = "ALTER PUBLICATION " + PublicationName(*this);
    std::vector<std::string> r;
    // Added and changed articles first, so that the publication never stands empty.
    for (TPblArtData* a : fArticles) {
        const TPblArtData* old = aOld.fArticles.Find(a->OwnUser + "." + a->TblName);
        if (!old) r.push_back(head + " ADD TABLE " + a->Description());
        else if (old->Description() != a->Description()) r.push_back(head + " MODIFY TABLE " + a->Description());
    }
    for (TPblArtData* old : aOld.fArticles)
        if (!fArticles.Find(old->OwnUser + "." + old->TblName)) r.push_back(head + " DROP TABLE " + old->TableName());
    return r;
}

void TPblData::DoBeforeCreate() {
    TDbObj::DoBeforeCreate();
    // Tables and columns are needed even where the walk above found their links consumed.
    for (std::size_t i = 0; i < fUseOf.size(); ++i) {
        TDbObj* used = fUseOf[i]->Obj;
        if (!used || used->GetObjCreated()) continue;
        const TDbObj* table = used->IsField() ? used->GetOwnerObj() : used;
        if (table && table->ListKind() == olTbl) used->CreateDependDef();
    }
}

// ---------------------------------------------------------------------------
// Schema generators

namespace {

const TSchemaRules& TargetSchemaRules(TKeldar& k) { return DialectTraits(k.GetTObjs()->GetDatabaseType()).Schemas; }

// A schema the generators write: compared, and not one the server provides.
bool Scripted(const TSchData* s) { return !s->CompExclude && !s->ServerProvided(); }

// The objects of the set filed in schema aSchema that are still there (not dropped by this
// script), as "kind schema.name".
std::vector<std::string> ObjectsStillIn(const TCustomObjs& aObjs, const std::string& aSchema) {
    std::vector<std::string> left;
    for (const TKindList& row : TCustomObjs::KindLists()) {
        if (!row.Filed || row.Kind == olSch) continue;
        row.ForEach(aObjs, [&](TDbObj* o) {
            if (o->GetObjCreated() && o->fSchema.str() == aSchema)
                left.push_back(std::string(*row.Word ? row.Word : row.Name) + " " + aSchema + "." + o->fObjName);
        });
    }
    return left;
}

}  // namespace

void GenScriptSchCreate(TKeldar& k) {
    TCustomObjs* M = k.GetMObjs();
    if (!M || !k.GetTObjs() || !k.GetSQLExec()) return;
    const TSchemaRules& rules = TargetSchemaRules(k);
    if (rules.Statements == ssNone) return;
    for (TSchData* m : M->Sch) {
        if (!Scripted(m) || m->GetObjCreated()) continue;
        if (m->GetRefObj() && m->GetRefObj()->CompExclude) continue;
        if (rules.Statements == ssUser) {
            k.AddWarning("Schema " + m->fObjName + " is not created: on this server a schema is a user, which the script does not create");
            continue;
        }
        m->CreateDependDef();
    }
}

void GenScriptSchAlter(TKeldar& k) {
    TCustomObjs* M = k.GetMObjs();
    if (!M || !k.GetTObjs() || !k.GetSQLExec()) return;
    const TSchemaRules& rules = TargetSchemaRules(k);
    if (rules.Statements != ssStatements) return;
    const bool describe = k.GetCompareObjects().Contains(coDescription);
    for (TSchData* m : M->Sch) {
        auto* t = dynamic_cast<TSchData*>(m->GetRefObj());
        if (!t || !t->GetObjCreated() || !Scripted(m) || !Scripted(t)) continue;
        if (rules.AltersOwner && !m->GetOwnName().empty() && m->GetOwnName() != t->GetOwnName())
            m->AddStatement("ALTER SCHEMA " + m->QuoteIdent(m->fObjName) + " OWNER TO " + m->QuoteIdent(m->GetOwnName()),
                            stStatement, m->fObjName, dboSchema, odbAlter);
        if (describe && m->GetDescription() != t->GetDescription()) m->AddDescription();
    }
}

// A target-only schema is dropped only when it is known to be empty once the script has run:
// every object the target set files in it was dropped, and the set was read whole (no name
// masks, every kind of object). Otherwise it stays, with a comment and a warning: DROP SCHEMA
// never takes objects with it.
void GenScriptSchDrop(TKeldar& k) {
    TCustomObjs* T = k.GetTObjs();
    if (!k.GetMObjs() || !T || !k.GetSQLExec()) return;
    const TSchemaRules& rules = TargetSchemaRules(k);
    if (rules.Statements == ssNone) return;
    const TExtractorLink* reader = T->fDBStructure ? T->fDBStructure->GetExtractor() : nullptr;
    const bool readWhole = !reader || reader->ReadsEveryObject();
    for (TSchData* t : T->Sch) {
        if (!t->GetObjCreated() || t->GetRefObj() || !Scripted(t)) continue;
        const std::string name = "Schema " + t->fObjName + " is not dropped: ";
        if (rules.Statements == ssUser) {
            k.AddWarning(name + "on this server a schema is a user, which the script does not drop");
            continue;
        }
        const std::vector<std::string> left = ObjectsStillIn(*T, t->fObjName);
        if (!left.empty()) {
            k.AddWarning(name + "it still holds " + JoinComma(left));
            continue;
        }
        if (!readWhole) {
            k.AddWarning(name + "the target was not read whole, so the schema may hold objects");
            continue;
        }
        t->DropDependDef();
    }
}

// ---------------------------------------------------------------------------
// Publication generators

void GenScriptPblDrop(TKeldar& k) {
    if (!k.GetTObjs()) return;
    for (TPblData* t : k.GetTObjs()->Pbl)
        if (t->GetObjCreated() && !t->GetRefObj() && !t->CompExclude) t->DropDependDef();
}

// A changed publication keeps its subscriptions: its articles are added, modified and dropped
// in place.
void GenScriptPblAlter(TKeldar& k) {
    if (!k.GetMObjs()) return;
    for (TPblData* m : k.GetMObjs()->Pbl) {
        auto* t = dynamic_cast<TPblData*>(m->GetRefObj());
        if (!t || !t->GetObjCreated() || m->CompExclude || t->CompExclude || m->Def() == t->Def()) continue;
        if (PublicationName(*m) != PublicationName(*t)) {  // another owner: no ALTER names both
            t->DropDependDef();
            m->CreateDependDef();
            continue;
        }
        for (const std::string& s : m->AlterDefs(*t))
            m->AddStatement(s, stStatement, m->GetObjFullName(), dboPublication, odbAlter);
    }
}

void GenScriptPblCreate(TKeldar& k) {
    if (!k.GetMObjs()) return;
    for (TPblData* m : k.GetMObjs()->Pbl) {
        if (m->CompExclude || m->GetObjCreated()) continue;
        if (m->GetRefObj() && m->GetRefObj()->CompExclude) continue;
        m->CreateDependDef();
    }
}

}  // namespace dbtwin
