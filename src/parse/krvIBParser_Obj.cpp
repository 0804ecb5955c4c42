// The InterBase/Firebird statement reader: objects (tables, columns, constraints, indices,
// domains, generators, exceptions, views, routines, packages, triggers, external functions,
// roles, grants, descriptions).
#include <algorithm>
#include <cctype>
#include <map>
#include <memory>
#include <optional>
#include <set>

#include "core/krvStrUtils.h"
#include "exec/krvSQL_Exec.h"
#include "model/krvClasses.h"
#include "objects/krvCompColumn.h"
#include "objects/krvComp_Ctr.h"
#include "objects/krvComp_Def.h"
#include "objects/krvComp_Dmn.h"
#include "objects/krvComp_Exc.h"
#include "objects/krvComp_Fnc.h"
#include "objects/krvComp_Gnr.h"
#include "objects/krvComp_Idx.h"
#include "objects/krvComp_Pkg.h"
#include "objects/krvComp_Prc.h"
#include "objects/krvComp_Rol.h"
#include "objects/krvComp_Tbl.h"
#include "objects/krvComp_Trg.h"
#include "objects/krvComp_Viw.h"
#include "parse/krvIBParser.h"

namespace dbtwin {

void TIbParser::Link_Depend() {
    if (!Objs) return;
    TCustomSQLParser::Link_Depend();
    for (TTblData* t : Objs->Tbl)
        for (TFldData* f : t->Flds)
            if (f->FieldType == iftDomain && !f->Rare().TypeOf)
                if (TDmnData* d = Objs->Dmn.Find(f->Rare().DomainName)) LinkDepend(t, d, f->fObjName);
    LinkBodies();
}

void TIbParser::NoteBody(const TDbObj* aObj) {
    if (!aObj) return;
    TBodyStart& start = fBodyStarts[aObj];
    start = fLastCapture;
    start.Hash = std::hash<std::string_view>{}(StoredBodyText(aObj));
}

std::string TIbParser::StoredBodyText(const TDbObj* aObj) {
    // A column holds a computed expression, a domain's column its check.
    if (const auto* f = dynamic_cast<const TFldData*>(aObj))
        return f->IsComputed() ? f->GetBody() : Trim(f->Rare().CheckDef);
    return aObj->GetBody();
}

const TIbParser::TBodyStart* TIbParser::BodyStart(const TDbObj* aObj, std::string_view aText) const {
    // The text is checked too: an entry of an object that was dropped or refused may stand
    // under the address of a later one.
    const auto it = fBodyStarts.find(aObj);
    if (it == fBodyStarts.end() || it->second.Hash != std::hash<std::string_view>{}(aText)) return nullptr;
    return &it->second;
}

void TIbParser::LinkBodies() {
    // Views depend on what their FROM lists name; the names are read from the body's
    // symbols (FROM / JOIN, then the names of a comma list), which needs no reading of the
    // query itself. Column-level links are the job of the body reader.
    for (TViwData* v : Objs->Viw) {
        TIbParser scan;
        scan.fDialect = fDialect;
        scan.AssignTxt(v->GetBody());
        scan.GetSy();
        int depth = 0;
        std::vector<int> inFrom;  // parenthesis depths at which a FROM list is open
        bool expectName = false;
        while (scan.Sy != syEOF) {
            if (scan.Sy == syLParent) {
                ++depth;
                expectName = false;
            } else if (scan.Sy == syRParent) {
                --depth;
                while (!inFrom.empty() && inFrom.back() > depth) inFrom.pop_back();
            } else if (scan.W("FROM") || scan.W("JOIN")) {
                if (inFrom.empty() || inFrom.back() != depth) inFrom.push_back(depth);
                expectName = true;
            } else if (scan.Sy == syComma) {
                expectName = !inFrom.empty() && inFrom.back() == depth;
            } else if (scan.W("WHERE") || scan.W("GROUP") || scan.W("ORDER") || scan.W("HAVING") ||
                       scan.W("UNION") || scan.W("SELECT") || scan.W("ROWS")) {
                if (!inFrom.empty() && inFrom.back() == depth) inFrom.pop_back();
                expectName = false;
            } else if (scan.W("ON")) {
                expectName = false;  // a join condition; a comma after it names another table
            } else if (scan.Sy == syIdent && expectName) {
                LinkDepend(v, scan.Ident, TDbObjectSet{dboTable, dboView, dboProcedure});
                expectName = false;
            }
            scan.GetSy();
        }
    }
}

// The words of a text joined by single blanks (event lists written over several lines).
std::string TIbParser::Words(const std::string& aText) {
    std::string r;
    bool blank = false;
    for (char c : aText) {
        if (static_cast<unsigned char>(c) <= ' ') {
            blank = !r.empty();
            continue;
        }
        if (blank) r += ' ';
        blank = false;
        r += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return r;
}

// --- names ------------------------------------------------------------------------------------

void TIbParser::ParseNameList(std::vector<std::string>& aNames) {
    if (!TestSy(syLParent)) return;
    GetSy();
    for (;;) {
        const std::string n = GetName();
        if (n.empty()) break;
        aNames.push_back(n);
        if (Sy != syComma) break;
        GetSy();
    }
    if (TestSy(syRParent)) GetSy();
}

std::vector<std::string> TIbParser::SelectListNames(const std::string& aBody) const {
    TIbParser scan;
    scan.fDialect = fDialect;
    scan.AssignTxt(aBody);
    scan.GetSy();
    if (!scan.SkipW("SELECT")) return {};
    // FIRST / SKIP take a number, a parameter or a parenthesised expression.
    auto skipOperand = [&scan] {
        if (scan.Sy != syLParent) return scan.GetSy();
        for (int depth = 0; scan.Sy != syEOF;) {
            if (scan.Sy == syLParent) ++depth;
            if (scan.Sy == syRParent && --depth == 0) return scan.GetSy();
            scan.GetSy();
        }
    };
    for (;;) {
        if (scan.SkipW("DISTINCT") || scan.SkipW("ALL")) continue;
        if (scan.SkipW("FIRST") || scan.SkipW("SKIP")) {
            skipOperand();
            continue;
        }
        break;
    }
    // Words of expressions, which are no names here: kOperandEnd those that end an operand
    // (CASE ... END, NULL), kWord the others (AND, IS, COLLATE, ...).
    constexpr TSymbol kOperandEnd = 254, kWord = 255;
    static const std::set<std::string, std::less<>> kOperandEnds = {"END", "NULL", "TRUE", "FALSE", "UNKNOWN"};
    static const std::set<std::string, std::less<>> kWords = {
        "AND",  "OR",      "NOT",     "IS",  "LIKE",   "IN",   "BETWEEN",    "CASE",     "WHEN",  "THEN",
        "ELSE", "COLLATE", "SIMILAR", "ALL", "ANY",    "SOME", "CONTAINING", "STARTING", "WITH",  "ESCAPE",
        "FOR",  "VALUE",   "NEXT",    "AT",  "EXISTS", "OVER", "FILTER",     "DISTINCT", "SINGULAR"};
    struct TItem {
        std::vector<TSymbol> Syms;  // at the item's own level; a parenthesised part is one syLParent
        std::string Last;           // the last name of the item
        bool AsBeforeLast = false;
    };
    std::vector<std::string> names;
    TItem item;
    bool afterAs = false;
    auto finish = [&]() -> bool {
        const auto& s = item.Syms;
        const std::size_t n = s.size();
        bool ok = n > 0 && s.back() == syIdent;
        if (ok && !item.AsBeforeLast) {
            // NAME, A.NAME, A.B.NAME: the column it names.
            std::size_t i = 0;
            while (i + 1 < n && s[i] == syIdent && s[i + 1] == syPoint) i += 2;
            const bool column = i + 1 == n;
            // A name right after a complete operand (a name, a literal, a parenthesised
            // part): its alias. After a keyword or an operator the name is an operand.
            const TSymbol before = n >= 2 ? s[n - 2] : syEOF;
            const bool alias = before == syIdent || before == syLParent || before == syString ||
                               before == syInteger || before == syFloat || before == kOperandEnd;
            ok = column || alias;
        }
        if (ok) names.push_back(item.Last);
        item = TItem{};
        return ok;
    };
    for (int depth = 0; scan.Sy != syEOF && scan.Sy != syTerm;) {
        if (depth == 0 && scan.W("FROM")) return finish() ? names : std::vector<std::string>{};
        if (depth == 0 && scan.Sy == syComma) {
            if (!finish()) return {};
        } else if (depth == 0 && scan.W("AS")) {
            afterAs = true;
        } else {
            if (depth == 0) {
                TSymbol sy = scan.Sy;
                if (sy == syIdent && !scan.fQuoted) {
                    if (kOperandEnds.contains(scan.Ident)) sy = kOperandEnd;
                    else if (kWords.contains(scan.Ident)) sy = kWord;
                }
                item.Syms.push_back(sy);
                item.AsBeforeLast = afterAs;
                if (scan.Sy == syIdent) item.Last = scan.Ident;
            }
            afterAs = false;
            if (scan.Sy == syLParent) ++depth;
            if (scan.Sy == syRParent) --depth;
        }
        scan.GetSy();
    }
    return {};
}

// --- tables -----------------------------------------------------------------------------------

void TIbParser::ParseTable(bool aGlobalTemporary) {
    const std::string name = GetName();
    if (name.empty()) return SkipToTerm();
    auto owned = std::make_unique<TTblData>(Objs);
    TTblData* t = owned.get();
    t->SetObjName(name);
    t->GlobalTemporary = aGlobalTemporary;
    t->Line = Line;
    if (SkipW("EXTERNAL")) {
        SkipW("FILE");
        if (TestSy(syString)) {
            t->ExternalFile = StrVal;
            GetSy();
        }
    }
    fTableName = name;
    if (Objs && Objs->Tbl.Find(name)) {
        // CREATE of a known table is the server's error too. RECREATE drops the table read
        // before, with its constraints, indices, triggers, privileges and description.
        if (!fRecreate) {
            ErrMsg("Table already defined: " + name);
            fTableName.clear();
            return SkipToTerm();
        }
        DropObject(dboTable, name, false);
    }
    // Filed first, so that constraints and links written inside the statement find it.
    AddObj(owned.release(), true);
    t = Objs ? Objs->Tbl.Find(name) : nullptr;  // null when the set (or its filter) refused it
    if (!t || !TestSy(syLParent)) {
        fTableName.clear();
        return SkipToTerm();
    }
    GetSy();
    for (;;) {
        if (SkipW("CONSTRAINT")) {
            const std::string cname = GetName();
            ParseConstraint(cname, name, nullptr, false);
        } else if (W("PRIMARY") || W("UNIQUE") || W("FOREIGN") || W("CHECK")) {
            ParseConstraint("", name, nullptr, false);
        } else if (IsName()) {
            ParseField(t, nullptr, false);
        } else {
            TestSy(syIdent);
            break;
        }
        if (Sy != syComma) break;
        GetSy();
    }
    if (TestSy(syRParent)) GetSy();
    if (SkipW("ON")) {
        NeedW("COMMIT");
        if (SkipW("DELETE")) t->TblOnCommit = tocDelete;
        else if (SkipW("PRESERVE")) t->TblOnCommit = tocPreserve;
        else ErrMsg("Must be: DELETE ROWS / PRESERVE ROWS.");
        NeedW("ROWS");
    }
    fTableName.clear();
    if (Sy == syTerm) Report(stStatement, name, dboTable, odbCreate);
    EndStatement();
}

TFldData* TIbParser::ParseField(TDbObj* aOwner, TFldData* aInto, bool aDomain) {
    TFldData* f = aInto;
    if (!f) {
        const std::string name = GetName();
        auto* t = dynamic_cast<TTblData*>(aOwner);
        if (name.empty() || !t) return nullptr;
        f = t->FindFld(name);
        if (!f) f = t->AddFld(name);
        if (!f) {
            ErrMsg("Duplicate column: " + name);
            return nullptr;
        }
        f->OwnObj = t;
        f->OwnName = t->fObjName;
        f->Position = static_cast<std::int32_t>(t->Flds.Count()) - 1;
    }
    ParseFieldType(f);
    ParseFieldAttrs(f, aDomain);
    if (aOwner && Objs && f->FieldType == iftDomain)
        if (TDmnData* d = Objs->Dmn.Find(f->Rare().DomainName)) Objs->LinkDepend(aOwner, d, f->fObjName);
    return f;
}

void TIbParser::ParseFieldType(TFldData* f) {
    bool blobSubTypeWritten = true;
    auto length = [this, f] {
        f->FieldLength = f->CharLength = 1;
        if (Sy != syLParent) return;
        GetSy();
        if (TestSy(syInteger)) {
            f->FieldLength = f->CharLength = static_cast<std::int32_t>(IntVal);
            GetSy();
        }
        if (TestSy(syRParent)) GetSy();
    };
    if (SkipW("TYPE")) {
        NeedW("OF");
        f->EditRare().TypeOf = true;
        f->FieldType = iftDomain;
        if (SkipW("COLUMN")) {
            f->EditRare().TypeOfTbl = GetName();
            if (TestSy(syPoint)) GetSy();
            f->EditRare().TypeOfFld = GetName();
        } else {
            f->EditRare().DomainName = GetName();
        }
    } else if (W("COMPUTED")) {
        return;  // a column computed without a written type; the attributes read it
    } else if (SkipW("SMALLINT")) {
        f->FieldType = iftSmallInt;
    } else if (SkipW("INTEGER") || SkipW("INT")) {
        f->FieldType = iftInteger;
    } else if (SkipW("BIGINT")) {
        f->FieldType = iftBigInt;
    } else if (SkipW("FLOAT")) {
        f->FieldType = iftFloat;
        if (Sy == syLParent) CaptureParens();
    } else if (SkipW("REAL")) {
        f->FieldType = iftReal;
    } else if (SkipW("DOUBLE")) {
        NeedW("PRECISION");
        f->FieldType = iftDoublePrecision;
    } else if (W("NUMERIC") || W("DECIMAL") || W("DEC")) {
        f->FieldType = W("NUMERIC") ? iftNumeric : iftDecimal;
        GetSy();
        GetNumDec(f);
    } else if (SkipW("DECFLOAT")) {
        f->FieldType = iftDecFloat;
        f->Precision = 34;
        if (Sy == syLParent) {
            GetSy();
            if (TestSy(syInteger)) {
                f->Precision = static_cast<std::int32_t>(IntVal);
                GetSy();
            }
            if (TestSy(syRParent)) GetSy();
        }
    } else if (SkipW("DATE")) {
        f->FieldType = iftDate;
    } else if (SkipW("TIME")) {
        f->FieldType = iftTime;
    } else if (SkipW("TIMESTAMP")) {
        f->FieldType = iftTimeStamp;
    } else if (SkipW("BOOLEAN")) {
        f->FieldType = iftBoolean;
    } else if (SkipW("CHAR") || SkipW("CHARACTER")) {
        f->FieldType = SkipW("VARYING") ? iftVarchar : iftChar;
        length();
    } else if (SkipW("VARCHAR")) {
        f->FieldType = iftVarchar;
        length();
    } else if (SkipW("NCHAR") || SkipW("NATIONAL")) {
        if (!SkipW("CHAR")) SkipW("CHARACTER");
        f->FieldType = SkipW("VARYING") ? iftVarchar : iftChar;
        f->EditRare().CharSet = "ISO8859_1";
        length();
    } else if (SkipW("CSTRING")) {
        f->FieldType = iftCstring;
        length();
    } else if (SkipW("BINARY")) {
        f->FieldType = SkipW("VARYING") ? iftVarBinary : iftBinary;
        length();
    } else if (SkipW("VARBINARY")) {
        f->FieldType = iftVarBinary;
        length();
    } else if (SkipW("BLOB")) {
        f->FieldType = iftBlob;
        f->EditRare().BlobSegSize = 80;
        blobSubTypeWritten = false;
        auto subType = [this, f, &blobSubTypeWritten] {
            blobSubTypeWritten = true;
            if (SkipW("TEXT")) f->EditRare().BlobSubType = 1;
            else if (SkipW("BINARY")) f->EditRare().BlobSubType = 0;
            else if (SkipW("BLR")) f->EditRare().BlobSubType = 2;
            else if (Sy == syInteger || Sy == syMinus) {
                GetIntConst();
                f->EditRare().BlobSubType = static_cast<std::int32_t>(IntVal);
                GetSy();
            } else if (IsName()) {
                f->EditRare().BlobSubTypeIdent = GetName();
            } else {
                ErrMsg("Unknown blob-subtype.");
            }
        };
        if (Sy == syLParent) {
            GetSy();
            if (TestSy(syInteger)) {
                f->EditRare().BlobSegSize = static_cast<std::int32_t>(IntVal);
                GetSy();
            }
            if (Sy == syComma) {
                GetSy();
                subType();
            }
            if (TestSy(syRParent)) GetSy();
        }
        for (;;) {
            if (SkipW("SUB_TYPE")) {
                subType();
            } else if (SkipW("SEGMENT")) {
                NeedW("SIZE");
                if (TestSy(syInteger)) {
                    f->EditRare().BlobSegSize = static_cast<std::int32_t>(IntVal);
                    GetSy();
                }
            } else {
                break;
            }
        }
    } else if (IsName()) {
        f->FieldType = iftDomain;
        f->EditRare().DomainName = GetName();
    } else {
        ErrMsg("Missing: data type (" + ResWordBySymbol(Sy) + ")");
        return;
    }
    if ((f->FieldType == iftTime || f->FieldType == iftTimeStamp) && (W("WITH") || W("WITHOUT"))) {
        const bool with = W("WITH");
        // WITH may also start WITH GRANT / WITH CHECK elsewhere; here only TIME ZONE follows.
        GetSy();
        NeedW("TIME");
        NeedW("ZONE");
        f->EditRare().WithTimeZone = with;
    }
    if (Sy == syLBracket) {
        GetSy();
        for (;;) {
            TDbArrayBound b;
            b.LowerBound = 1;
            auto bound = [this] {
                if (GetIntConst().empty()) return 0;
                const std::int64_t v = IntVal;
                if (v < INT32_MIN || v > INT32_MAX) ErrMsg("Array bound out of range: " + StrVal);
                GetSy();
                return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
            };
            b.UpperBound = bound();
            if (Sy == syColon) {
                GetSy();
                b.LowerBound = b.UpperBound;
                b.UpperBound = bound();
            }
            f->EditRare().ArrayBounds.push_back(b);
            if (Sy != syComma) break;
            GetSy();
        }
        if (TestSy(syRBracket)) GetSy();
    }
    if (W("CHARACTER")) {
        GetSy();
        NeedW("SET");
        const std::string cs = UpperCase(GetName());
        // A blob with a character set holds text: isql writes BLOB CHARACTER SET X for
        // SUB_TYPE TEXT parameters.
        if (f->FieldType == iftBlob && !blobSubTypeWritten) f->EditRare().BlobSubType = 1;
        // The database's own character set is implied and not kept.
        if (!SameText(cs, DBCharSet())) f->EditRare().CharSet = cs;
        else f->EditRare().CharSet.clear();
    }
}

std::string TIbParser::GetDefaultText() {
    const std::int64_t start = SyBegPos;
    if (Sy == syMinus || Sy == syPlus) {
        GetSy();
        GetSy();
    } else if (Sy == ibsym::syCharSetIntro) {
        GetSy();
        GetSy();
    } else if (Sy == syLParent) {
        CaptureParens();
    } else if (Sy == syIdent || Sy == syString || Sy == syInteger || Sy == syFloat) {
        const bool fn = Sy == syIdent;
        GetSy();
        if (fn && Sy == syLParent) CaptureParens();  // CURRENT_TIMESTAMP(3), GEN_UUID()
    } else {
        ErrMsg("DEFAULT value error: " + ResWordBySymbol(Sy));
        return std::string();
    }
    // The text runs to the next symbol: comments after the value are not part of it.
    const std::string text = CopyTxt(start, SyBegPos - start);
    std::size_t end = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
            const std::size_t close = text.find("*/", i + 2);
            i = close == std::string::npos ? text.size() : close + 1;
        } else if (c == '-' && i + 1 < text.size() && text[i + 1] == '-') {
            const std::size_t eol = text.find('\n', i);
            i = eol == std::string::npos ? text.size() : eol;
        } else if (c == '\'' || c == '"') {
            for (++i; i < text.size() && text[i] != c; ++i) {}
            end = i + 1;
        } else if (!std::isspace(static_cast<unsigned char>(c))) {
            end = i + 1;
        }
    }
    return TrimSQLText(text.substr(0, end));
}

void TIbParser::ParseFieldAttrs(TFldData* f, bool aDomain) {
    if (SkipW("GENERATED")) {
        if (SkipW("ALWAYS")) {
        } else {
            NeedW("BY");
            NeedW("DEFAULT");
        }
        NeedW("AS");
        NeedW("IDENTITY");
        f->Identity = true;
        if (Sy == syLParent) {
            GetSy();
            while (Sy != syRParent && Sy != syTerm && Sy != syEOF) {
                if (SkipW("START")) {
                    NeedW("WITH");
                    GetIntConst();
                    f->EditRare().IdentitySeed = static_cast<std::int32_t>(IntVal);
                    GetSy();
                } else if (SkipW("INCREMENT")) {
                    SkipW("BY");
                    GetIntConst();
                    f->EditRare().IdentityIncrement = static_cast<std::int32_t>(IntVal);
                    GetSy();
                } else {
                    ErrMsg("Must be: START WITH / INCREMENT BY");
                    break;
                }
            }
            if (TestSy(syRParent)) GetSy();
        }
    }
    const std::string table = f->OwnName.empty() ? fTableName : f->OwnName;
    for (;;) {
        if (SkipW("DEFAULT") || (Sy == syEqual && (GetSy(), true))) {
            std::string v = GetDefaultText();
            if (f->FieldType == iftDomain && Objs)
                if (TDmnData* d = Objs->Dmn.Find(f->Rare().DomainName))
                    if (d->fData->GetDefValue() == v) v.clear();
            f->SetDefValue(v);
        } else if (SkipW("NOT")) {
            NeedW("NULL");
            f->Nullable = false;
        } else if (SkipW("NULL")) {
        } else if (SkipW("COLLATE")) {
            f->EditRare().Collation = GetName();
        } else if (SkipW("BY")) {
            if (SkipW("DESCRIPTOR")) f->EditRare().FncByDescriptor = true;
            else if (SkipW("VALUE")) f->EditRare().FncByValue = true;
            else ErrMsg("Must be: BY DESCRIPTOR / BY VALUE");
        } else if (SkipW("COMPUTED")) {
            SkipW("BY");
            f->EditRare().ComputedTyped = f->FieldType != iftUnknown;
            f->SetBody(CaptureParens());
            NoteBody(f);
        } else if (aDomain && (W("CONSTRAINT") || W("CHECK"))) {
            if (SkipW("CONSTRAINT")) f->EditRare().CtrName = GetName();
            NeedW("CHECK");
            f->EditRare().CheckDef = " " + CaptureParens();
            NoteBody(f);
        } else if (!aDomain && SkipW("CONSTRAINT")) {
            const std::string cname = GetName();
            ParseConstraint(cname, table, f, false);
        } else if (!aDomain && (W("CHECK") || W("PRIMARY") || W("UNIQUE") || W("REFERENCES") || W("FOREIGN"))) {
            ParseConstraint("", table, f, false);
        } else {
            break;
        }
    }
}

// --- constraints --------------------------------------------------------------------------------

TCtrData* TIbParser::ParseConstraint(const std::string& aName, const std::string& aTable, TFldData* aFld,
                                     bool aReport) {
    auto owned = std::make_unique<TCtrData>(Objs);
    TCtrData* c = owned.get();
    if (!aName.empty()) c->SetObjName(aName);
    c->SetTblName(aTable);
    c->Line = Line;
    auto columns = [this, c, aFld] {
        std::vector<std::string> names;
        if (Sy == syLParent) ParseNameList(names);
        else if (aFld) names.push_back(aFld->fObjName);
        for (const std::string& n : names) c->AddFld(n);
    };
    if (SkipW("PRIMARY")) {
        NeedW("KEY");
        c->SetCtType(ctPKey);
        columns();
    } else if (SkipW("UNIQUE")) {
        c->SetCtType(ctUnique);
        columns();
    } else if (W("FOREIGN") || W("REFERENCES")) {
        c->SetCtType(ctFKey);
        if (SkipW("FOREIGN")) {
            NeedW("KEY");
            columns();
        } else if (aFld) {
            c->AddFld(aFld->fObjName);
        }
        NeedW("REFERENCES");
        const std::string ref = GetName();
        c->SetRefTblName(ref);
        std::vector<std::string> refCols;
        if (Sy == syLParent) ParseNameList(refCols);
        if (refCols.empty() && Objs) {
            // Without columns the reference is the primary key of the referenced table.
            for (TCtrData* k : Objs->Ctr)
                if (k->fCtType == ctPKey && k->fTblName == ref)
                    for (std::size_t i = 0; i < k->Flds.Count(); ++i) refCols.push_back(k->Flds.Keys(i));
        }
        for (const std::string& n : refCols) c->AddRefFld(n);
        while (SkipW("ON")) {
            TUDAction* target = nullptr;
            if (SkipW("DELETE")) target = &c->OnDelete;
            else if (SkipW("UPDATE")) target = &c->OnUpdate;
            else {
                ErrMsg("Missing: UPDATE/DELETE");
                break;
            }
            if (SkipW("NO")) {
                NeedW("ACTION");
                *target = udaNoAction;
            } else if (SkipW("CASCADE")) {
                *target = udaCascade;
            } else if (SkipW("RESTRICT")) {
                *target = udaRestrict;
            } else if (SkipW("SET")) {
                if (SkipW("NULL")) *target = udaNull;
                else if (SkipW("DEFAULT")) *target = udaDefault;
                else ErrMsg("Missing: DEFAULT/NULL");
            } else {
                ErrMsg("Unknown action into UPDATE/DELETE rule.");
                break;
            }
        }
    } else if (SkipW("CHECK")) {
        c->SetCtType(ctCheck);
        c->SetBody(CaptureParens());
        NoteBody(c);
        if (aFld) c->AddFld(aFld->fObjName);
    } else {
        ErrMsg("Missing: PRIMARY... or UNIQUE...");
        return nullptr;
    }
    if (SkipW("USING")) {
        if (SkipW("DESC") || SkipW("DESCENDING")) c->UsingDescIndex = true;
        else if (!SkipW("ASC")) SkipW("ASCENDING");
        NeedW("INDEX");
        c->UsingIndex = GetName();
    }
    const std::string name = c->fObjName;
    const TDbObject kind = c->fCtType == ctCheck ? dboCheck : c->fCtType == ctFKey ? dboFKey
                           : c->fCtType == ctPKey ? dboPKey : dboUnique;
    AddObj(owned.release(), true);
    if (aReport && Sy == syTerm) Report(stStatement, name, kind, odbCreate, aTable);
    return c;
}

void TIbParser::ParseAlterTable() {
    const std::string name = GetName();
    TTblData* t = Objs ? Objs->Tbl.Find(name) : nullptr;
    fTableName = name;
    for (;;) {
        if (SkipW("ADD")) {
            if (SkipW("CONSTRAINT")) {
                const std::string cname = GetName();
                ParseConstraint(cname, name, nullptr, true);
            } else if (W("PRIMARY") || W("UNIQUE") || W("FOREIGN") || W("CHECK")) {
                ParseConstraint("", name, nullptr, true);
            } else if (IsName()) {
                if (!t) {
                    ErrMsg("Unknown table: " + name);
                    break;
                }
                TFldData* f = ParseField(t, nullptr, false);
                if (f && Sy == syTerm) Report(stStatement, f->fObjName, dboField, odbCreate, name);
            } else {
                TestSy(syIdent);
                break;
            }
        } else if (SkipW("ALTER")) {
            SkipW("COLUMN");
            ParseAlterColumn(t, name);
        } else if (SkipW("DROP")) {
            if (SkipW("CONSTRAINT")) {
                const std::string cname = GetName();
                if (Sy == syTerm) Report(stStatement, cname, dboConstraint, odbDrop, name);
                DropObject(dboConstraint, cname, false, name);
            } else {
                const std::string col = GetName();
                if (Sy == syTerm) Report(stStatement, col, dboField, odbDrop, name);
                DropObject(dboField, col, false, name);
            }
        } else {
            ErrMsg("Unknown symbol in ALTER TABLE " + name);
            break;
        }
        if (Sy != syComma) break;
        GetSy();
    }
    fTableName.clear();
    EndStatement();
}

namespace {

std::vector<TFldData*> ColumnsOf(const TTblData* aTable) {
    std::vector<TFldData*> r;
    for (TFldData* f : aTable->Flds) r.push_back(f);
    return r;
}

// Files aTable's columns in the order of aOrder and numbers their positions from 0.
void RefileColumns(TTblData* aTable, std::vector<TFldData*> aOrder) {
    while (!aTable->Flds.Empty()) aTable->Flds.Extract(aTable->Flds.Count() - 1);
    std::int32_t pos = 0;
    for (TFldData* f : aOrder) {
        f->Position = pos++;
        aTable->Flds.Add(f->fObjName, f);
    }
}

// Renames column aOld of a field list (an index's or a constraint's) to aNew.
void RenameListedColumn(TFldList& aList, const std::string& aOld, const std::string& aNew) {
    if (TFldData* f = aList.Find(aOld)) {
        f->SetObjName(aNew);
        aList.ReKey([](TFldData* x) { return x->fObjName; });
    }
}

}  // namespace

void TIbParser::ParseAlterColumn(TTblData* t, const std::string& aTableName) {
    const std::string col = GetName();
    TFldData* f = t ? t->FindFld(col) : nullptr;
    if (t && !f && !col.empty()) WrnMsg("ALTER of an unknown column: " + aTableName + "." + col);
    if (SkipW("TO")) {
        // A rename: the column keeps its place and attributes; the plain indices on it are
        // renamed with it (the server refuses to rename a column a constraint uses).
        const std::int32_t line = fSyLine, column = fSyCol;
        const std::string to = GetName();
        if (f && !to.empty() && to != col) {
            if (t->FindFld(to)) {
                ErrAt("Duplicate column: " + to, line, column);
            } else {
                std::vector<TFldData*> order = ColumnsOf(t);
                f->SetObjName(to);
                RefileColumns(t, std::move(order));
                if (Objs) {
                    for (TIdxData* x : Objs->Idx)
                        if (x->TblName == aTableName) RenameListedColumn(x->Flds, col, to);
                    for (TCtrData* c : Objs->Ctr) {
                        if (c->fTblName == aTableName) RenameListedColumn(c->Flds, col, to);
                        if (c->fRefTblName == aTableName) RenameListedColumn(c->RefFlds, col, to);
                    }
                }
            }
        }
    } else if (SkipW("POSITION")) {
        // 1-based; the columns between the old and the new place move by one.
        const std::string n = GetIntConst();
        const std::int64_t want = IntVal;
        if (!n.empty() && want < 1) ErrMsg("Column position must be 1 or more: " + n);
        if (!n.empty()) GetSy();
        if (!n.empty() && want >= 1 && f) {
            std::vector<TFldData*> order = ColumnsOf(t);
            order.erase(std::find(order.begin(), order.end(), f));
            const std::int64_t at = std::min<std::int64_t>(want - 1, static_cast<std::int64_t>(order.size()));
            order.insert(order.begin() + at, f);
            RefileColumns(t, std::move(order));
        }
    } else if (SkipW("TYPE")) {
        // Computed columns are written with a placeholder expression first and get their
        // real one here: the type and the expression replace the column's.
        TFldData tmp(Objs);
        ParseFieldType(&tmp);
        std::string computed;
        if (SkipW("COMPUTED")) {
            SkipW("BY");
            computed = CaptureParens();
        }
        if (f) {
            if (computed.empty()) tmp.SetBody(f->GetBody());
            f->AssignDataType(tmp);
            if (!computed.empty()) {
                f->SetBody(computed);
                f->EditRare().ComputedTyped = tmp.FieldType != iftUnknown;
                NoteBody(f);
            }
        }
    } else if (W("SET") || W("DROP") || W("RESTART")) {
        // SET DEFAULT v, DROP DEFAULT, SET NOT NULL, DROP NOT NULL; on an identity column
        // RESTART [WITH n] (the current value only: the start it was created with stays),
        // and the later servers' SET GENERATED ..., SET INCREMENT [BY] n, DROP IDENTITY.
        while (Sy != syTerm && Sy != syComma && Sy != syEOF) {
            if (SkipW("RESTART")) {
                if (SkipW("WITH") && !GetIntConst().empty()) GetSy();
            } else if (SkipW("SET")) {
                if (SkipW("DEFAULT")) {
                    std::string v = GetDefaultText();
                    if (f && f->FieldType == iftDomain && Objs)
                        if (TDmnData* d = Objs->Dmn.Find(f->Rare().DomainName))
                            if (d->fData->GetDefValue() == v) v.clear();
                    if (f) f->SetDefValue(v);
                } else if (SkipW("NOT")) {
                    NeedW("NULL");
                    if (f) f->Nullable = false;
                } else if (SkipW("GENERATED")) {
                    if (!SkipW("ALWAYS")) {
                        NeedW("BY");
                        NeedW("DEFAULT");
                    }
                } else if (SkipW("INCREMENT")) {
                    SkipW("BY");
                    if (GetIntConst().empty()) break;
                    if (f) f->EditRare().IdentityIncrement = static_cast<std::int32_t>(IntVal);
                    GetSy();
                } else {
                    ErrMsg("Must be: SET DEFAULT / SET NOT NULL");
                    break;
                }
            } else if (SkipW("DROP")) {
                if (SkipW("DEFAULT")) {
                    if (f) f->SetDefValue("");
                } else if (SkipW("NOT")) {
                    NeedW("NULL");
                    if (f) f->Nullable = true;
                } else if (SkipW("IDENTITY")) {
                    if (f) f->Identity = false;
                } else {
                    ErrMsg("Must be: DROP DEFAULT / DROP NOT NULL");
                    break;
                }
            } else {
                ErrMsg("Unknown symbol in ALTER COLUMN " + col);
                break;
            }
        }
    } else {
        ErrMsg("Must be: TO / POSITION / TYPE / SET / DROP / RESTART");
        SkipToTerm();
    }
    if (Sy == syTerm) Report(stStatement, col, dboField, odbAlter, aTableName);
}

// --- indices, domains, generators, exceptions -----------------------------------------------

void TIbParser::ParseIndex() {
    auto owned = std::make_unique<TIdxData>(Objs);
    TIdxData* x = owned.get();
    if (SkipW("UNIQUE")) x->Unique = true;
    if (SkipW("DESC") || SkipW("DESCENDING")) x->Desc = true;
    else if (!SkipW("ASC")) SkipW("ASCENDING");
    if (!NeedW("INDEX")) return SkipToTerm();
    const std::string name = GetName();
    x->SetObjName(name);
    x->Line = Line;
    NeedW("ON");
    x->TblName = GetName();
    if (SkipW("COMPUTED")) {
        SkipW("BY");
        x->SetBody(CaptureParens());
        NoteBody(x);
    } else {
        std::vector<std::string> cols;
        ParseNameList(cols);
        for (const std::string& c : cols) x->AddFld(c);
    }
    AddObj(owned.release(), true);
    if (Sy == syTerm) Report(stStatement, name, dboIndex, odbCreate);
    EndStatement();
}

void TIbParser::ParseDomain() {
    const std::string name = GetName();
    if (name.empty()) return SkipToTerm();
    auto owned = std::make_unique<TDmnData>(Objs);
    TDmnData* d = owned.get();
    d->SetObjName(name);
    d->Line = Line;
    SkipW("AS");
    ParseFieldType(d->fData.get());
    ParseFieldAttrs(d->fData.get(), true);
    d->CheckSysName();
    AddObj(owned.release(), true);
    if (Sy == syTerm) Report(stStatement, name, dboDomain, odbCreate);
    EndStatement();
}

void TIbParser::ParseAlterDomain() {
    const std::string name = GetName();
    TDmnData* d = Objs ? Objs->Dmn.Find(name) : nullptr;
    TFldData* f = d ? d->fData.get() : nullptr;
    // The clauses may follow one another: TO new, SET DEFAULT v / DROP DEFAULT,
    // SET NOT NULL / DROP NOT NULL, ADD [CONSTRAINT] CHECK (...) / DROP CONSTRAINT, TYPE t.
    bool any = false;
    while (Sy != syTerm && Sy != syEOF) {
        if (SkipW("TO")) {
            const std::int32_t line = fSyLine, column = fSyCol;
            const std::string to = GetName();
            if (d && !to.empty() && to != d->fObjName) {
                if (Objs->Dmn.Find(to)) ErrAt("Domain already defined: " + to, line, column);
                else RenameDomain(d, to);
            }
        } else if (SkipW("ADD")) {
            SkipW("CONSTRAINT");
            if (!NeedW("CHECK")) break;
            const std::string check = CaptureParens();
            if (f) {
                f->EditRare().CheckDef = " " + check;
                NoteBody(f);
            }
        } else if (SkipW("SET")) {
            if (SkipW("DEFAULT")) {
                const std::string v = GetDefaultText();
                if (f) f->SetDefValue(v);
            } else if (SkipW("NOT")) {
                NeedW("NULL");
                if (f) f->Nullable = false;
            } else {
                ErrMsg("Must be: SET DEFAULT / SET NOT NULL");
                break;
            }
        } else if (SkipW("DROP")) {
            if (SkipW("DEFAULT")) {
                if (f) f->SetDefValue("");
            } else if (SkipW("NOT")) {
                NeedW("NULL");
                if (f) f->Nullable = true;
            } else if (SkipW("CONSTRAINT")) {
                if (f && !f->Rare().CheckDef.empty()) {
                    f->EditRare().CheckDef.clear();
                    f->EditRare().CtrName.clear();
                }
            } else {
                ErrMsg("Must be: DROP DEFAULT / DROP NOT NULL / DROP CONSTRAINT");
                break;
            }
        } else if (SkipW("TYPE")) {
            TFldData tmp(Objs);
            ParseFieldType(&tmp);
            if (f) f->AssignDataType(tmp);
        } else {
            ErrMsg(any ? "Unknown symbol in ALTER DOMAIN " + name : "Must be: TO / SET / DROP / ADD / TYPE");
            break;
        }
        any = true;
    }
    if (Sy == syTerm) Report(stStatement, name, dboDomain, odbAlter);
    EndStatement();
}

void TIbParser::RenameDomain(TDmnData* d, const std::string& aNew) {
    const std::string old = d->fObjName;
    const int i = Objs->Dmn.IndexOfObject(d);
    if (i < 0) return;
    Objs->Dmn.Extract(static_cast<std::size_t>(i));
    d->SetObjName(aNew);
    Objs->Dmn.Add(d->GetObjKeyDef(), d);
    // Columns and parameters typed by the domain follow it.
    auto follow = [&old, &aNew](TFldData* x) {
        if (x->FieldType == iftDomain && x->Rare().DomainName == old && x->Rare().TypeOfFld.empty())
            x->EditRare().DomainName = aNew;
    };
    for (TTblData* t : Objs->Tbl)
        for (TFldData* x : t->Flds) follow(x);
    for (TPrcData* p : Objs->Prc) {
        for (TFldData* x : p->Params) follow(x);
        for (TFldData* x : p->Returns) follow(x);
    }
}

void TIbParser::ParseGenerator(bool aAlter) {
    const std::string name = GetName();
    if (name.empty()) return SkipToTerm();
    const bool replaced = DropForRecreate(dboGenerator, name);
    TGnrData* g = Objs ? Objs->Gnr.Find(name) : nullptr;
    // ALTER and CREATE OR ALTER change a known generator.
    const bool change = g && (aAlter || fOrAlter);
    std::unique_ptr<TGnrData> owned;
    if (!change) {
        owned = std::make_unique<TGnrData>(Objs);
        g = owned.get();
        g->SetObjName(name);
        g->Line = Line;
    }
    auto value = [this]() -> std::optional<std::string> {
        const std::string v = GetIntConst();
        if (v.empty()) return std::nullopt;
        GetSy();
        return v;
    };
    for (;;) {
        if (SkipW("RESTART")) {
            // RESTART WITH n becomes the generator's start; RESTART alone goes back to it.
            if (SkipW("WITH"))
                if (const auto v = value()) g->StartWith = *v == "0" ? std::string() : *v;
        } else if (SkipW("START")) {
            NeedW("WITH");
            if (const auto v = value()) g->StartWith = *v == "0" ? std::string() : *v;
        } else if (SkipW("INCREMENT")) {
            SkipW("BY");
            if (const auto v = value()) g->IncrementBy = *v == "1" ? std::string() : *v;
        } else {
            break;
        }
    }
    // An ALTER of a generator the script never created changes nothing in the set.
    if (owned && !aAlter) AddObj(owned.release(), true);
    if (Sy == syTerm) Report(stStatement, name, dboGenerator, aAlter || change || replaced ? odbAlter : odbCreate);
    EndStatement();
}

void TIbParser::ParseException() {
    const std::string name = GetName();
    if (name.empty()) return SkipToTerm();
    const bool replaced = DropForRecreate(dboException, name);
    TExcData* e = Objs ? Objs->Exc.Find(name) : nullptr;
    const bool known = e != nullptr || replaced;
    std::unique_ptr<TExcData> owned;
    if (!e) {
        owned = std::make_unique<TExcData>(Objs);
        e = owned.get();
        e->SetObjName(name);
        e->Line = Line;
    }
    if (Sy == syString || (Sy == syIdent && fQuoted && fDialect == 3)) {
        e->Msg = Sy == syString ? StrVal : Ident;
        GetSy();
    } else {
        TestSy(syString);
    }
    if (owned) AddObj(owned.release(), true);
    if (Sy == syTerm) Report(stStatement, name, dboException, known ? odbAlter : odbCreate);
    EndStatement();
}

// --- views, routines, packages, triggers ------------------------------------------------------------

bool TIbParser::DropForRecreate(TDbObject aKind, const std::string& aName) {
    if (!fRecreate || !Objs) return false;
    const TDbObj* known = nullptr;
    switch (aKind) {
        case dboView: known = Objs->Viw.Find(aName); break;
        case dboProcedure: known = Objs->Prc.Find(aName); break;
        case dboTrigger: known = Objs->Trg.Find(aName); break;
        case dboException: known = Objs->Exc.Find(aName); break;
        case dboGenerator: known = Objs->Gnr.Find(aName); break;
        case dboPackage: known = Objs->Pkg.Find(aName); break;
        default: break;
    }
    if (!known) return false;
    DropObject(aKind, aName, false);
    return true;
}

void TIbParser::ParseView(bool aAlter) {
    const std::string name = GetName();
    if (name.empty()) return SkipToTerm();
    // ALTER and CREATE OR ALTER replace a known view's columns and query; the view keeps its
    // description, privileges, triggers and the descriptions of the columns it still has.
    // RECREATE drops it with all of those first.
    const bool replaced = DropForRecreate(dboView, name);
    TViwData* v = Objs ? Objs->Viw.Find(name) : nullptr;
    const bool known = v != nullptr && aAlter;
    std::unique_ptr<TViwData> owned;
    std::map<std::string, std::string> kept;
    if (known) {
        for (TFldData* f : v->Flds) kept[f->fObjName] = f->GetDescription();
        v->Flds.Clear();
    } else {
        owned = std::make_unique<TViwData>(Objs);
        v = owned.get();
        v->SetObjName(name);
        v->Line = Line;
    }
    if (Sy == syLParent) {
        std::vector<std::string> cols;
        ParseNameList(cols);
        for (const std::string& c : cols)
            if (TFldData* f = v->AddFld(c)) {
                f->OwnObj = v;
                f->OwnName = name;
                if (auto it = kept.find(c); it != kept.end()) f->SetDescription(it->second);
            }
    }
    if (!NeedW("AS")) {
        SkipToTerm();
        return;
    }
    v->SetBody(CaptureBody());
    NoteBody(v);
    // Without a list the server names the columns after the select list, and its catalog
    // (and extract) lists them: a view read either way compares the same.
    if (v->Flds.Count() == 0)
        for (const std::string& c : SelectListNames(v->GetBody()))
            if (TFldData* f = v->AddFld(c)) {
                f->OwnObj = v;
                f->OwnName = name;
            }
    if (owned) AddObj(owned.release(), true);
    if (Sy == syTerm) Report(stStatement, name, dboView, known || replaced ? odbAlter : odbCreate);
    EndStatement();
}

void TIbParser::ParseParams(TDbObj* aOwner, bool aReturns, std::vector<TFldData*>& aOut) {
    auto* p = static_cast<TPrcData*>(aOwner);
    if (Sy != syLParent) return;
    GetSy();
    if (Sy == syRParent) {
        GetSy();
        return;
    }
    for (;;) {
        const std::string name = GetName();
        if (name.empty()) break;
        TFldData* f = aReturns ? p->AddReturn(name) : p->AddParam(name);
        if (!f) {
            ErrMsg("Duplicate parameter: " + name);
            break;
        }
        f->OwnObj = p;
        f->OwnName = p->fObjName;
        f->fObjType = dboParam;
        f->InOut = aReturns ? ioOut : ioIn;
        ParseFieldType(f);
        ParseFieldAttrs(f, true);
        aOut.push_back(f);
        if (Sy != syComma) break;
        GetSy();
    }
    if (TestSy(syRParent)) GetSy();
}

void TIbParser::ParseRoutine(bool aFunc, bool aAlter) {
    const std::string name = GetName();
    if (name.empty()) return SkipToTerm();
    const bool replaced = DropForRecreate(dboProcedure, name);
    TPrcData* p = Objs ? Objs->Prc.Find(name) : nullptr;
    const bool known = p != nullptr || replaced;
    std::unique_ptr<TPrcData> owned;
    std::map<std::string, std::string> kept;  // descriptions of the parameters read before
    if (p) {
        for (TFldData* f : p->Params) kept["P" + f->fObjName] = f->GetDescription();
        for (TFldData* f : p->Returns) kept["R" + f->fObjName] = f->GetDescription();
        p->Params.Clear();
        p->Returns.Clear();
        p->SetBody("");
    } else {
        owned = std::make_unique<TPrcData>(Objs);
        p = owned.get();
        p->SetObjName(name);
        p->Line = Line;
    }
    (void)aAlter;
    p->Func = aFunc;
    std::vector<TFldData*> params, returns;
    ParseParams(p, false, params);
    if (SkipW("RETURNS")) {
        if (aFunc) {
            TFldData* r = p->AddReturn("");
            r->OwnObj = p;
            r->OwnName = name;
            r->fObjType = dboParam;
            ParseFieldType(r);
            ParseFieldAttrs(r, true);
            if (SkipW("DETERMINISTIC")) r->EditRare().FncDeterministic = true;
        } else {
            ParseParams(p, true, returns);
        }
    }
    for (TFldData* f : params)
        if (auto it = kept.find("P" + f->fObjName); it != kept.end()) f->SetDescription(it->second);
    for (TFldData* f : returns)
        if (auto it = kept.find("R" + f->fObjName); it != kept.end()) f->SetDescription(it->second);
    if (SkipW("SQL")) {  // SQL SECURITY DEFINER | INVOKER
        NeedW("SECURITY");
        GetSy();
    }
    if (SkipW("AS") || W("EXTERNAL")) {
        p->SetBody(CaptureBody(true));
        NoteBody(p);
    }
    if (owned) AddObj(owned.release(), true);
    if (Sy == syTerm) Report(stStatement, name, dboProcedure, known ? odbAlter : odbCreate);
    EndStatement();
}

void TIbParser::ParsePackage() {
    const bool body = SkipW("BODY");
    const std::string name = GetName();
    if (name.empty()) return SkipToTerm();
    const bool replaced = !body && DropForRecreate(dboPackage, name);
    TPkgData* p = Objs ? Objs->Pkg.Find(name) : nullptr;
    const bool known = p != nullptr || replaced;
    std::unique_ptr<TPkgData> owned;
    if (!p) {
        owned = std::make_unique<TPkgData>(Objs);
        p = owned.get();
        p->SetObjName(name);
        p->Line = Line;
    }
    p->ParseBody = body;
    if (!NeedW("AS")) return SkipToTerm();
    const std::string text = CaptureBody(true);
    if (body) {
        p->SetBody(text);
    } else {
        // A new header leaves the server without the body written for the old one (RECREATE
        // drops it, ALTER leaves it invalid and without its text): the body must follow.
        p->HeaderBody = text;
        p->SetBody("");
    }
    NoteBody(p);
    if (owned) AddObj(owned.release(), true);
    if (Sy == syTerm) Report(stPackage, name, dboPackage, known ? odbAlter : odbCreate);
    EndStatement();
}

void TIbParser::ParseTrigger(bool aAlter) {
    const std::string name = GetName();
    if (name.empty()) return SkipToTerm();
    const bool replaced = DropForRecreate(dboTrigger, name);
    TTrgData* t = aAlter && Objs ? Objs->Trg.Find(name) : nullptr;
    const bool known = t != nullptr;
    std::unique_ptr<TTrgData> owned;
    if (!t) {
        owned = std::make_unique<TTrgData>(Objs);
        t = owned.get();
        t->SetObjName(name);
        t->Line = Line;
    }
    std::string table;
    if (SkipW("FOR")) table = GetName();
    bool events = false;
    for (;;) {
        if (W("ACTIVE") || W("INACTIVE")) {
            t->Active = W("ACTIVE");
            GetSy();
        } else if (SkipW("POSITION")) {
            if (TestSy(syInteger)) {
                t->Position = static_cast<std::int32_t>(IntVal);
                GetSy();
            }
        } else if (W("BEFORE") || W("AFTER")) {
            const TBefAftType ba = W("BEFORE") ? baBefore : baAfter;
            const std::int64_t from = SyBegPos;
            GetSy();
            if (W("INSERT") || W("UPDATE") || W("DELETE")) {
                // Table events, in the order written: the server's type code depends on it.
                TInsUpdDelSet set;
                std::int32_t code = ba == baBefore ? 0 : 1;
                for (int i = 0;; ++i) {
                    const int e = SkipW("INSERT") ? 1 : SkipW("UPDATE") ? 2 : SkipW("DELETE") ? 3 : 0;
                    if (!e || i > 2) {
                        ErrMsg("Must be: INSERT / UPDATE / DELETE");
                        break;
                    }
                    set.Include(e == 1 ? iudInsert : e == 2 ? iudUpdate : iudDelete);
                    code += e << (2 * i + 1);
                    if (!SkipW("OR")) break;
                }
                t->SetEvents(ba, set);
                t->Typ = code - 1;
                if (table.empty() && SkipW("ON")) table = GetName();
            } else {
                // A DDL trigger: BEFORE ANY DDL STATEMENT, AFTER CREATE TABLE OR ALTER TABLE ...
                while (Sy == syIdent && !fQuoted && !W("POSITION") && !W("AS")) GetSy();
                t->BefAft = ba;
                t->EventType = Words(CopyTxt(from, SyBegPos - from));
                if (table.empty()) table = "DATABASE";
            }
            events = true;
        } else if (SkipW("ON")) {
            // Database triggers.
            const std::int64_t from = SyBegPos;
            if (SkipW("TRANSACTION")) {
                if (!SkipW("START") && !SkipW("COMMIT") && !SkipW("ROLLBACK"))
                    ErrMsg("Unknown event for database trigger");
            } else if (!SkipW("CONNECT") && !SkipW("DISCONNECT")) {
                ErrMsg("Unknown event for database trigger");
            }
            t->EventType = Words(CopyTxt(from, SyBegPos - from));
            table = "DATABASE";
            events = true;
        } else {
            break;
        }
    }
    if (!table.empty()) t->SetOwnName(table);
    else if (!known) t->SetOwnName("DATABASE");
    if (!events && !aAlter) ErrMsg("Must be: BEFORE / AFTER");
    if (W("AS") || W("EXTERNAL") || W("SQL")) {
        t->SetBody(CaptureBody(true));
        NoteBody(t);
    }
    // Linked before filing: a trigger the set refuses (a filtered name) is deleted there,
    // and its links with it; nothing of it is read afterwards.
    if (t->fOwnObj && Objs) Objs->LinkDepend(t, t->fOwnObj);
    const std::string owner = t->fOwnName;
    if (owned) AddObj(owned.release(), true);
    if (Sy == syTerm) Report(stStatement, name, dboTrigger, known || replaced ? odbAlter : odbCreate, owner);
    EndStatement();
}

void TIbParser::ParseCollation() {
    const std::string name = GetName();
    if (name.empty()) return SkipToTerm();
    auto owned = std::make_unique<TCltData>(Objs);
    TCltData* c = owned.get();
    c->SetObjName(name);
    c->Line = Line;
    NeedW("FOR");
    c->Charset = UpperCase(GetName());
    if (!NeedW("FROM")) return SkipToTerm();
    if (SkipW("EXTERNAL")) {
        if (TestSy(syLParent)) GetSy();
        if (TestSy(syString)) {
            c->ExtCollation = StrVal;
            GetSy();
        }
        if (TestSy(syRParent)) GetSy();
    } else if (IsName()) {
        c->BaseCollation = GetName();
    } else {
        ErrMsg("Must be: FROM basecoll | FROM EXTERNAL ('extname')");
        return SkipToTerm();
    }
    for (;;) {
        if (SkipW("NO")) {
            NeedW("PAD");
            c->PadSpace = false;
        } else if (SkipW("PAD")) {
            NeedW("SPACE");
            c->PadSpace = true;
        } else if (W("CASE") || W("ACCENT")) {
            bool& flag = W("CASE") ? c->CaseSensitive : c->AccentSensitive;
            GetSy();
            if (SkipW("SENSITIVE")) flag = true;
            else if (SkipW("INSENSITIVE")) flag = false;
            else ErrMsg("Must be: SENSITIVE / INSENSITIVE");
        } else if (Sy == syString) {
            c->Attributes = StrVal;
            GetSy();
        } else {
            break;
        }
    }
    AddObj(owned.release(), true);
    if (Sy == syTerm) Report(stStatement, name, dboCollation, odbCreate);
    EndStatement();
}

// --- external functions, roles, grants, descriptions -----------------------------------------

void TIbParser::ParseUdf() {
    const std::string name = GetName();
    if (name.empty()) return SkipToTerm();
    auto owned = std::make_unique<TUdfData>(Objs);
    TUdfData* u = owned.get();
    u->SetObjName(name);
    u->Line = Line;
    while (Sy != syTerm && Sy != syEOF && !W("RETURNS")) {
        TFldData* f = u->AddPrm();
        ParseFieldType(f);
        ParseFieldAttrs(f, true);
        if (Sy != syComma) break;
        GetSy();
    }
    if (SkipW("RETURNS")) {
        if (SkipW("PARAMETER")) {
            if (TestSy(syInteger)) {
                u->RtnFld->EditRare().FncParameter = static_cast<std::int32_t>(IntVal);
                GetSy();
            }
        } else {
            ParseFieldType(u->RtnFld.get());
            ParseFieldAttrs(u->RtnFld.get(), true);
        }
        if (SkipW("FREE_IT")) u->FreeIt = true;
    }
    for (;;) {
        if (SkipW("ENTRY_POINT")) {
            if (TestSy(syString)) {
                u->EntryPoint = StrVal;
                GetSy();
            }
        } else if (SkipW("MODULE_NAME")) {
            if (TestSy(syString)) {
                u->ModuleName = StrVal;
                GetSy();
            }
        } else {
            break;
        }
    }
    AddObj(owned.release(), true);
    if (Sy == syTerm) Report(stStatement, name, dboFunction, odbCreate);
    EndStatement();
}

void TIbParser::ParseRole() {
    const std::string name = GetName();
    if (name.empty()) return SkipToTerm();
    auto* r = new TRolData(Objs);
    r->SetObjName(name);
    r->Line = Line;
    AddObj(r, true);
    if (Sy == syTerm) Report(stStatement, name, dboRole, odbCreate);
    EndStatement();
}

void TIbParser::ParseGrant() {
    auto proto = std::make_unique<TGntData>(Objs);
    TGntData* g = proto.get();
    g->Line = Line;
    bool anyPrivilege = false;
    std::vector<std::string> roles;
    // One grant holds one column list: privileges are grouped by the columns they name
    // (GRANT SELECT, UPDATE (A) is a table-wide SELECT and an UPDATE of A).
    struct TPart {
        TGrantPrivilegeSet privileges;
        std::vector<std::string> columns;
    };
    std::vector<TPart> parts(1);
    auto partFor = [&parts](const std::vector<std::string>& aColumns) -> TPart& {
        for (TPart& part : parts)
            if (part.columns == aColumns) return part;
        parts.push_back({{}, aColumns});
        return parts.back();
    };
    static const std::pair<const char*, TGrantPrivilege> kPrivileges[] = {
        {"SELECT", gntSelect}, {"INSERT", gntInsert},       {"UPDATE", gntUpdate}, {"DELETE", gntDelete},
        {"REFERENCES", gntReferences}, {"EXECUTE", gntExecute}, {"USAGE", gntUsageOn}};
    for (;;) {
        bool found = false;
        if (SkipW("ALL")) {
            SkipW("PRIVILEGES");
            for (TGrantPrivilege p : {gntInsert, gntUpdate, gntDelete, gntSelect, gntReferences})
                parts.front().privileges.Include(p);
            found = true;
        } else {
            for (const auto& [word, p] : kPrivileges)
                if (SkipW(word)) {
                    std::vector<std::string> columns;
                    if ((p == gntUpdate || p == gntReferences) && Sy == syLParent) ParseNameList(columns);
                    partFor(columns).privileges.Include(p);
                    found = true;
                    break;
                }
        }
        if (!found) break;
        anyPrivilege = true;
        if (Sy != syComma) break;
        GetSy();
    }
    if (anyPrivilege) {
        NeedW("ON");
        static const std::pair<const char*, TDbObject> kKinds[] = {
            {"TABLE", dboTable},         {"VIEW", dboView},         {"PROCEDURE", dboProcedure},
            {"FUNCTION", dboFunction},   {"PACKAGE", dboPackage},   {"SEQUENCE", dboGenerator},
            {"GENERATOR", dboGenerator}, {"EXCEPTION", dboException}, {"TRIGGER", dboTrigger}};
        for (const auto& [word, kind] : kKinds)
            if (SkipW(word)) {
                g->GntObjType = kind;
                break;
            }
        g->GntObjName = GetName();
        if (g->GntObjType == dboUnknown && Objs) {
            if (Objs->Tbl.Find(g->GntObjName)) g->GntObjType = dboTable;
            else if (Objs->Viw.Find(g->GntObjName)) g->GntObjType = dboView;
            else if (StartsText("RDB$", g->GntObjName)) g->GntObjType = dboTable;
        }
        // A view is named like a table in the statement.
        if (g->GntObjType == dboTable && Objs && Objs->Viw.Find(g->GntObjName)) g->GntObjType = dboView;
    } else {
        // Roles granted to users: GRANT R1, R2 TO ...
        for (;;) {
            const std::string role = GetName();
            if (role.empty()) return SkipToTerm();
            roles.push_back(role);
            if (Sy != syComma) break;
            GetSy();
        }
        g->GntObjName = roles.front();
        g->GntObjType = dboRole;
    }
    NeedW("TO");
    struct Grantee { std::string name; TDbObject kind; };
    std::vector<Grantee> grantees;
    for (;;) {
        static const std::pair<const char*, TDbObject> kUsers[] = {
            {"USER", dboUser}, {"ROLE", dboRole},       {"PROCEDURE", dboProcedure}, {"FUNCTION", dboFunction},
            {"TRIGGER", dboTrigger}, {"VIEW", dboView}, {"PACKAGE", dboPackage},     {"GROUP", dboUser}};
        TDbObject kind = dboUnknown;
        for (const auto& [word, k] : kUsers)
            if (SkipW(word)) {
                kind = k;
                break;
            }
        const std::string user = GetName();
        if (user.empty()) break;
        if (kind == dboUnknown) kind = Objs && Objs->Rol.Find("Role: " + user) ? dboRole : dboUser;
        grantees.push_back({user, kind});
        if (Sy != syComma) break;
        GetSy();
    }
    if (SkipW("WITH")) {
        if (!SkipW("GRANT") && !SkipW("ADMIN")) ErrMsg("Must be: with GRANT/ADMIN option");
        NeedW("OPTION");
        g->Option = 1;
    }
    if (SkipW("GRANTED")) {
        NeedW("BY");
        GetName();
    }
    if (Sy == syTerm) Report(stStatement, g->GntObjName, dboGrant, odbCreate);
    if (roles.empty()) roles.push_back(g->GntObjName);
    for (const std::string& object : roles)
        for (const Grantee& who : grantees)
            for (const TPart& part : parts) {
                if (anyPrivilege && part.privileges.IsEmpty()) continue;
                auto one = std::make_unique<TGntData>(Objs);
                one->Line = g->Line;
                one->Privilege = part.privileges;
                one->Flds = part.columns;
                one->GntObjName = object;
                one->GntObjType = g->GntObjType;
                one->Option = g->Option;
                one->User = who.name;
                one->GntUserType = who.kind;
                one->CmpGrantType = who.kind == dboRole   ? coRoleGrant
                                    : who.kind == dboUser ? coUserGrant
                                                          : coObjGrant;
                if (Objs && Objs->AddGrant(one.get())) one.release();
            }
    EndStatement();
}

void TIbParser::ParseComment() {
    NeedW("ON");
    TDbObj* target = nullptr;
    std::string name, owner;
    TDbObject kind = dboUnknown;
    bool database = false;
    bool skipped = false;  // a kind this reader keeps no objects of
    auto qualified = [this, &name, &owner] {
        owner = GetName();
        if (TestSy(syPoint)) GetSy();
        name = GetName();
    };
    if (SkipW("DATABASE")) {
        database = true;
    } else if (SkipW("COLUMN")) {
        qualified();
        kind = dboField;
        if (Objs) {
            if (TTblData* t = Objs->Tbl.Find(owner)) target = t->FindFld(name);
            else if (TViwData* v = Objs->Viw.Find(owner)) target = v->FindFld(name);
        }
    } else if (W("PROCEDURE") || W("FUNCTION") || W("PARAMETER")) {
        // COMMENT ON PARAMETER P.X: the older form of COMMENT ON PROCEDURE PARAMETER P.X.
        const bool func = W("FUNCTION");
        if (!W("PARAMETER")) GetSy();
        if (SkipW("PARAMETER")) {
            qualified();
            kind = dboParam;
            if (TPrcData* p = Objs ? Objs->Prc.Find(owner) : nullptr) {
                target = p->Params.Find(name);
                if (!target) target = p->Returns.Find(name);
            }
        } else {
            name = GetName();
            kind = dboProcedure;
            if (Objs) target = Objs->Prc.Find(name);
            if (!target && func && Objs) {
                target = Objs->Udf.Find(name);
                kind = dboFunction;
            }
        }
    } else if (SkipW("EXTERNAL")) {
        NeedW("FUNCTION");
        name = GetName();
        kind = dboFunction;
        if (Objs) target = Objs->Udf.Find(name);
    } else {
        struct Kind { const char* word; TObjListKind list; TDbObject kind; };
        static const Kind kKinds[] = {
            {"TABLE", olTbl, dboTable},         {"VIEW", olViw, dboView},           {"DOMAIN", olDmn, dboDomain},
            {"TRIGGER", olTrg, dboTrigger},     {"INDEX", olIdx, dboIndex},         {"GENERATOR", olGnr, dboGenerator},
            {"SEQUENCE", olGnr, dboGenerator},  {"EXCEPTION", olExc, dboException}, {"ROLE", olRol, dboRole},
            {"PACKAGE", olPkg, dboPackage}};
        bool found = false;
        for (const Kind& k : kKinds)
            if (SkipW(k.word)) {
                name = GetName();
                kind = k.kind;
                if (Objs) target = Objs->FindInList(k.list, k.list == olRol ? "Role: " + name : name);
                found = true;
                break;
            }
        if (!found) {
            if (SkipW("CHARACTER") || SkipW("COLLATION") || SkipW("FILTER") || SkipW("USER") ||
                SkipW("MAPPING") || SkipW("GLOBAL")) {
                skipped = true;
                SkipW("SET");
                SkipW("MAPPING");
                name = GetName();
            } else {
                ErrMsg("Unknown Comment-statement");
                return SkipToTerm();
            }
        }
    }
    if (!NeedW("IS")) return SkipToTerm();
    std::string text;
    if (Sy == syString) {
        text = StrVal;
        GetSy();
    } else if (SkipW("NULL")) {
    } else {
        ErrMsg("Invalid comment text");
        return SkipToTerm();
    }
    if (database) {
        if (Objs) Objs->DBDescription = text;
    } else if (target) {
        target->SetDescription(text);
    } else if (!skipped) {
        WrnMsg("COMMENT ON an unknown object: " + (owner.empty() ? name : owner + "." + name));
    }
    if (Sy == syTerm) Report(stDescription, name, kind, odbDescription, owner);
    EndStatement();
}

void TIbParser::ParseDescribe() {
    // DESCRIBE kind name 'text'; DESCRIBE FIELD f TABLE t | VIEW v 'text';
    // DESCRIBE PARAMETER p PROCEDURE r 'text'.
    TDbObj* target = nullptr;
    std::string name, owner;
    TDbObject kind = dboUnknown;
    if (SkipW("FIELD")) {
        name = GetName();
        kind = dboField;
        const bool view = W("VIEW");
        if (!SkipW("TABLE") && !SkipW("VIEW")) {
            ErrMsg("Must be: TABLE / VIEW");
            return SkipToTerm();
        }
        owner = GetName();
        if (Objs) {
            if (TTblData* t = view ? nullptr : Objs->Tbl.Find(owner)) target = t->FindFld(name);
            else if (TViwData* v = Objs->Viw.Find(owner)) target = v->FindFld(name);
        }
    } else if (SkipW("PARAMETER")) {
        name = GetName();
        kind = dboParam;
        NeedW("PROCEDURE");
        owner = GetName();
        if (TPrcData* p = Objs ? Objs->Prc.Find(owner) : nullptr) {
            target = p->Params.Find(name);
            if (!target) target = p->Returns.Find(name);
        }
    } else {
        struct Kind { const char* word; TObjListKind list; TDbObject kind; };
        static const Kind kKinds[] = {
            {"DOMAIN", olDmn, dboDomain},       {"EXCEPTION", olExc, dboException}, {"FUNCTION", olUdf, dboFunction},
            {"GENERATOR", olGnr, dboGenerator}, {"SEQUENCE", olGnr, dboGenerator},  {"INDEX", olIdx, dboIndex},
            {"PROCEDURE", olPrc, dboProcedure}, {"ROLE", olRol, dboRole},           {"TABLE", olTbl, dboTable},
            {"TRIGGER", olTrg, dboTrigger},     {"VIEW", olViw, dboView}};
        const Kind* found = nullptr;
        for (const Kind& k : kKinds)
            if (SkipW(k.word)) {
                found = &k;
                break;
            }
        if (!found) {
            ErrMsg("Unknown DESCRIBE statement.");
            return SkipToTerm();
        }
        name = GetName();
        kind = found->kind;
        if (Objs) {
            target = Objs->FindInList(found->list, found->list == olRol ? "Role: " + name : name);
            // A function written in the procedural language is kept with the procedures.
            if (!target && found->list == olUdf) target = Objs->Prc.Find(name);
        }
    }
    if (Sy != syString) {
        TestSy(syString);
        return SkipToTerm();
    }
    const std::string text = StrVal;
    GetSy();
    if (target) target->SetDescription(text);
    else WrnMsg("DESCRIBE of an unknown object: " + (owner.empty() ? name : owner + "." + name));
    if (Sy == syTerm && OnAddStatement) {
        TStatement* st = nullptr;
        DoAddStatement(stDescription, name, kind, odbDescription, owner, st);
        if (st) st->Description = text;
    }
    EndStatement();
}

}  // namespace dbtwin
