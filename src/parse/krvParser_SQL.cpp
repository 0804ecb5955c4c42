// TCustomSQLParser: comments, terminator, statement skipping, raw bodies and dependency
// linking shared by every SQL dialect.
#include <map>
#include <string>
#include <unordered_map>
#include <utility>

#include "core/krvDialect.h"
#include "core/krvStrUtils.h"
#include "model/krvClasses.h"
#include "objects/krvCompColumn.h"
#include "objects/krvComp_Ctr.h"
#include "objects/krvComp_Dmn.h"
#include "objects/krvComp_Exc.h"
#include "objects/krvComp_Def.h"
#include "objects/krvComp_Fnc.h"
#include "objects/krvComp_Gnr.h"
#include "objects/krvComp_Idx.h"
#include "objects/krvComp_Prc.h"
#include "objects/krvComp_Rol.h"
#include "objects/krvComp_Rul.h"
#include "objects/krvComp_Tbl.h"
#include "objects/krvComp_Trg.h"
#include "objects/krvComp_Viw.h"
#include "parse/krvParser.h"

namespace dbtwin {

namespace {

// String lists of names compare ignoring case.
bool ListHas(const std::vector<std::string>& aList, const std::string& aName) {
    for (const std::string& s : aList)
        if (SameText(s, aName)) return true;
    return false;
}

// Index of the name in the list ignoring case, or -1.
int ListIndex(const std::vector<std::string>& aList, const std::string& aName) {
    for (std::size_t i = 0; i < aList.size(); ++i)
        if (SameText(aList[i], aName)) return static_cast<int>(i);
    return -1;
}

bool HasField(const TFldList& aList, const std::string& aName) {
    return aList.Find(aName) != nullptr;
}

}  // namespace

TCustomSQLParser::TCustomSQLParser(TExtractorLink* aExtractor)
    : TCustomParser(aExtractor), TempVar(std::make_unique<TFldData>(Objs)) {}

TCustomSQLParser::~TCustomSQLParser() = default;

// ---------------------------------------------------------------------------
// Scanner

bool TCustomSQLParser::SkipText() {
    if ((ch == '-' && CurCh() == '-') || (ch == '/' && CurCh() == '*')) return SkipComment();
    return TCustomParser::SkipText();
}

bool TCustomSQLParser::SkipComment() {
    Comment.clear();
    if (ch == '/' && CurCh() == '*') {
        GetChar();
        GetChar();
        const std::int64_t start = chIx;
        while (!Eof() && !(ch == '*' && CurCh() == '/')) GetChar();
        Comment = CopyTxt(start, chIx - start);
        if (!Eof()) {
            GetChar();
            GetChar();
        }
    } else if (ch == '-' && CurCh() == '-') {
        GetChar();
        GetChar();
        const std::int64_t start = chIx;
        // Up to the line feed; a lone CR ends a line as well (the CR of CR LF stays in).
        while (!Eof() && ch != '\n' && !(ch == '\r' && CurCh() != '\n')) GetChar();
        Comment = CopyTxt(start, chIx - start);
    } else {
        return false;
    }
    if (DebugLogOptions.Contains(dlComment)) DoDbgMsg("Comment: " + Comment);
    return true;
}

void TCustomSQLParser::DoGetSy() {
    SyBegPos = chIx;
    if (CheckTermStr()) return;
    if (ch == '|' && CurCh() == '|') {
        StrQuoteCh = 0;
        Sy = syConcat;
        GetChar();
        GetChar();
        return;
    }
    TCustomParser::DoGetSy();
}

TSymbol TCustomSQLParser::SkipStatement(const TSymSet& aStopSet) {
    while (!aStopSet.Contains(Sy) && Sy != syEOF) GetSy();
    return Sy;
}

std::string TCustomSQLParser::CopyTxtFrom(std::int64_t aPos) const {
    return Trim(TxtView(aPos, SyBegPos - aPos));
}

std::string TCustomSQLParser::GetIntConst() {
    const TSymbol sign = Sy;
    if (sign == syMinus || sign == syPlus) GetSy();
    if (!TestSy(syInteger)) return {};
    std::string s = StrVal;
    if (sign == syMinus) {
        IntVal = -IntVal;
        return "-" + s;
    }
    if (sign == syPlus) return "+" + s;
    return s;
}

std::string TCustomSQLParser::ObjKeyName(const std::string& aName, const std::string& aOwner,
                                         bool aUseDefaultOwner) const {
    std::string owner = aOwner;
    if (owner.empty() && aUseDefaultOwner) owner = DialectTraits(GetDatabaseType()).DefaultOwner;
    return owner.empty() ? aName : owner + "." + aName;
}

bool TCustomSQLParser::TermAt(std::int64_t aPos, const std::vector<std::string>& aTerms) const {
    for (const std::string& term : aTerms) {
        if (term.empty()) continue;
        const std::string_view text = TxtView(aPos, static_cast<std::int64_t>(term.size()));
        bool match = text.size() == term.size();
        bool ascii = true;
        for (std::size_t i = 0; match && i < text.size(); ++i) {
            unsigned char c = static_cast<unsigned char>(text[i]);
            if (c >= 0x80) {
                ascii = false;
                break;
            }
            if (c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 'a' + 'A');
            match = c == static_cast<unsigned char>(term[i]);
        }
        if (!ascii) {
            // As many characters as the terminator has, upper-cased.
            std::size_t chars = Utf8Length(term);
            const std::string_view rest = TxtView(aPos, LengthTxt());
            std::size_t n = 0;
            while (n < rest.size() && chars > 0) {
                ++n;
                while (n < rest.size() && (static_cast<unsigned char>(rest[n]) & 0xC0) == 0x80) ++n;
                --chars;
            }
            match = chars == 0 && UpperCase(rest.substr(0, n)) == term;
        }
        if (!match) continue;
        if (term == "\r\n/" &&
            TxtView(aPos + static_cast<std::int64_t>(term.size()), 1) == "*")
            continue;  // a comment starts there
        return true;
    }
    return false;
}

void TCustomSQLParser::ExtractToTerm(const std::vector<std::string>& aTerms, std::string& aText) {
    // Every character up to the terminator, also when it stands at ch itself, and every
    // character up to the end of the text when none follows.
    const std::int64_t start = chIx;
    while (!Eof() && !TermAt(chIx, aTerms)) GetChar();
    aText = CopyTxt(start, chIx - start);
}

void TCustomSQLParser::ParseScript(const std::vector<std::string>& aScript, TCustomObjs* aObjs) {
    TCustomParser::ParseScript(aScript, aObjs);
    if (Objs) Objs->fConnectionOptions = fConnectionOptions;
}

// ---------------------------------------------------------------------------
// Dependencies

void TCustomSQLParser::LinkDepend(TDbObj* aObj, TDbObj* aDepObj, const std::string& aFieldName) {
    if (!aObj || !aDepObj) return;
    TCustomObjs* objs = Objs ? Objs : aObj->fObjs;
    if (!objs) return;
    objs->LinkDepend(aObj, aDepObj, aFieldName, GetPosX(), GetPosY());
    auto* view = dynamic_cast<TViwData*>(aObj);
    auto* table = dynamic_cast<TTblData*>(aDepObj);
    if (view && table && !aFieldName.empty()) {
        for (TFldData* f : table->Flds) {
            if (f->Rare().DomainName.empty()) continue;
            if (TDmnData* d = objs->Dmn.Find(f->Rare().DomainName))
                objs->LinkDepend(aObj, d, std::string(), GetPosX(), GetPosY());
        }
    }
}

void TCustomSQLParser::LinkDepend(TDbObj* aObj, const std::string& aName, TDbObjectSet aKinds) {
    if (!Objs || !aObj) return;
    if (GetDatabaseType() == dbInterBase && aName.size() >= 4 &&
        SameText(std::string_view(aName).substr(0, 4), "RDB$"))
        return;
    if (aKinds.Contains(aObj->fObjType) && aObj->fObjName == aName) aKinds.Exclude(aObj->fObjType);

    TDbObj* found = nullptr;
    // Each kind in turn; the object itself never counts as found.
    auto look = [&](TDbObject aKind, auto& aList) {
        if (found || !aKinds.Contains(aKind)) return;
        TDbObj* o = aList.Find(aName);
        if (o != aObj) found = o;
    };
    look(dboTable, Objs->Tbl);
    look(dboView, Objs->Viw);
    look(dboProcedure, Objs->Prc);
    look(dboTrigger, Objs->Trg);
    look(dboGenerator, Objs->Gnr);
    look(dboIndex, Objs->Idx);
    look(dboException, Objs->Exc);
    look(dboDomain, Objs->Dmn);
    look(dboFunction, Objs->Udf);
    // Rules and defaults take precedence over what was found before.
    if (aKinds.Contains(dboRule))
        if (TDbObj* o = Objs->Rul.Find(aName); o && o != aObj) found = o;
    if (aKinds.Contains(dboDefault))
        if (TDbObj* o = Objs->Def.Find(aName); o && o != aObj) found = o;
    if (found) LinkDepend(aObj, found, std::string());
}

TDbObj* TCustomSQLParser::FindSelectSource(const std::string& aName) const {
    if (!Objs || aName.empty()) return nullptr;
    if (TDbObj* o = Objs->Tbl.Find(aName)) return o;
    if (TDbObj* o = Objs->Viw.Find(aName)) return o;
    return Objs->Prc.Find(aName);
}

std::string TCustomSQLParser::ResolveQualifier(const std::string& aQualifier) const {
    for (auto it = ParseCtx.rbegin(); it != ParseCtx.rend(); ++it) {
        const TParseContext* scope = *it;
        if (!scope) continue;
        int i = ListIndex(scope->SelectAliases, aQualifier);
        if (i < 0) i = ListIndex(scope->SelectTables, aQualifier);
        if (i < 0) continue;
        const auto pos = static_cast<std::size_t>(i);
        return pos < scope->SelectTables.size() ? scope->SelectTables[pos] : std::string();
    }
    return {};
}

void TCustomSQLParser::AddLinkDepend(TDbObj* aObj, const std::string& aQualifier,
                                     const std::string& aName) {
    if (!Objs) return;
    const TParseContext* scope = ParseCtx.empty() ? nullptr : ParseCtx.back();
    if (!scope || (scope->SecondPass && scope->SelectTables.empty())) {
        if (!ListHas(LocalVariables, aName)) LinkDepend(aObj, aName, TDbObjectSet{dboGenerator});
        return;
    }
    if (!scope->SecondPass || aName.empty()) return;

    if (aName != "*") {
        if (!aQualifier.empty()) {
            if (TDbObj* src = FindSelectSource(ResolveQualifier(aQualifier)))
                LinkDepend(aObj, src, aName);
            return;
        }
        for (auto it = ParseCtx.rbegin(); it != ParseCtx.rend(); ++it) {
            if (!*it) continue;
            for (const std::string& tableName : (*it)->SelectTables) {
                TDbObj* src = nullptr;
                if (TTblData* t = Objs->Tbl.Find(tableName)) {
                    if (HasField(t->Flds, aName)) src = t;
                } else if (TViwData* v = Objs->Viw.Find(tableName)) {
                    if (HasField(v->Flds, aName)) src = v;
                } else if (TPrcData* p = Objs->Prc.Find(tableName)) {
                    // Selecting from a procedure reads its output columns.
                    if (HasField(p->Params, aName) || HasField(p->Returns, aName)) src = p;
                }
                if (src) {
                    LinkDepend(aObj, src, aName);
                    return;
                }
            }
        }
        return;
    }

    if (!aQualifier.empty()) {
        LinkDepend(aObj, FindSelectSource(ResolveQualifier(aQualifier)), std::string());
        return;
    }
    for (const std::string& tableName : scope->SelectTables)
        LinkDepend(aObj, FindSelectSource(tableName), std::string());
}

namespace {

// Key of a table named by an index or constraint: schema-qualified for the schema
// dialects, owner-qualified for SQL Anywhere.
std::string TableKey(TDatabaseType aType, const std::string& aTable, const std::string& aSchema,
                     const std::string& aOwner) {
    switch (aType) {
        case dbOracle:
        case dbMSSQL:
        case dbPostgreSQL:
            return aSchema.empty() ? aTable : aSchema + "." + aTable;
        case dbSybaseASA:
            return aOwner.empty() ? aTable : aOwner + "." + aTable;
        default:
            return aTable;
    }
}

std::string FieldListKey(const std::string& aTable, const TFldList& aFlds) {
    std::string key = aTable;
    for (std::size_t i = 0; i < aFlds.Count(); ++i) {
        key += '\x01';
        key += aFlds.Keys(i);
    }
    return key;
}

}  // namespace

void TCustomSQLParser::Link_Depend() {
    if (!Objs) return;
    Objs->SortGrants();
    const TDatabaseType db = GetDatabaseType();

    auto linkFields = [this](TDbObj* aUser, TTblData* aTable, const TFldList& aFlds) {
        for (std::size_t i = 0; i < aFlds.Count(); ++i)
            if (aTable->FindFld(aFlds.Keys(i))) LinkDepend(aUser, aTable, aFlds.Keys(i));
    };

    for (TIdxData* idx : Objs->Idx) {
        TTblData* t = Objs->Tbl.Find(TableKey(db, idx->TblName, idx->fSchema, idx->Extra().OwnUser));
        if (!t) continue;
        LinkDepend(idx, t, std::string());
        linkFields(idx, t, idx->Flds);
    }

    // Primary keys and unique constraints by table name and field list.
    std::unordered_map<std::string, std::vector<TCtrData*>> keys;
    for (TCtrData* c : Objs->Ctr) {
        if (TTblData* t = Objs->Tbl.Find(TableKey(db, c->fTblName, c->fSchema, c->Extra().OwnUser))) {
            LinkDepend(c, t, std::string());
            linkFields(c, t, c->Flds);
        }
        if (c->fCtType == ctFKey || c->fCtType == ctReferences) {
            const std::string& schema = c->fRefSchema.empty() ? c->fSchema.str() : c->fRefSchema;
            if (TTblData* r = Objs->Tbl.Find(TableKey(db, c->fRefTblName, schema, c->Extra().OwnUser))) {
                LinkDepend(c, r, std::string());
                linkFields(c, r, c->RefFlds);
            }
        }
        if (c->fCtType == ctPKey || c->fCtType == ctUnique)
            keys[FieldListKey(c->fTblName, c->Flds)].push_back(c);
    }
    for (TCtrData* c : Objs->Ctr) {
        if (c->fCtType != ctFKey) continue;
        auto it = keys.find(FieldListKey(c->fRefTblName, c->RefFlds));
        if (it == keys.end()) continue;
        for (TCtrData* k : it->second) LinkDepend(c, k, std::string());
    }

    // Roles and users by name and kind (the first entry of each).
    std::map<std::pair<std::string, TUserType>, TRolData*> roles;
    for (TRolData* r : Objs->Rol) roles.emplace(std::make_pair(r->fObjName, r->UserType), r);
    auto role = [&roles](const std::string& aName, TUserType aType) -> TDbObj* {
        auto it = roles.find({aName, aType});
        return it == roles.end() ? nullptr : it->second;
    };
    auto byKind = [&](TDbObject aKind, const std::string& aName) -> TDbObj* {
        switch (aKind) {
            case dboTable:
                return Objs->Tbl.Find(aName);
            case dboProcedure:
                return Objs->Prc.Find(aName);
            case dboTrigger:
                return Objs->Trg.Find(aName);
            case dboView:
                return Objs->Viw.Find(aName);
            case dboRole:
                return role(aName, usrRol);
            case dboUser:
                return role(aName, usrUsr);
            default:
                return nullptr;
        }
    };
    for (TGntData* g : Objs->Gnt) {
        LinkDepend(g, byKind(g->GntObjType, g->GntObjName), std::string());
        if (g->GntUserType != dboTable) LinkDepend(g, byKind(g->GntUserType, g->User), std::string());
    }

    // Database users depend on their logins.
    for (TRolData* r : Objs->Rol)
        if (r->UserType == usrUsr && !r->LoginName.empty()) LinkDepend(r, role(r->LoginName, usrLgn), std::string());
}

}  // namespace dbtwin
