// Builders of the objects of the live scenarios: tables with columns, primary keys and
// foreign keys, their links as a parser makes them, named as the servers store them, and the quoting of those names in the
// statements of rows and checks.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/krvStrUtils.h"
#include "objects/krvComp_Ctr.h"
#include "objects/krvComp_Dmn.h"
#include "objects/krvComp_Gnr.h"
#include "objects/krvComp_Idx.h"
#include "objects/krvComp_Prc.h"
#include "objects/krvComp_Tbl.h"
#include "scenario.h"

namespace dbtwin::live {

struct TCol {
    std::string Name;
    TDBFieldType Type = iftInteger;
    std::int32_t Length = 0;  // characters
    bool NotNull = false;
    std::string Default;  // as written in SQL: 0, 'x'
};

inline TCol Varchar(std::string aName, std::int32_t aLength) {
    TCol c;
    c.Name = std::move(aName);
    c.Type = iftVarchar;
    c.Length = aLength;
    return c;
}
inline TCol Int(std::string aName) {
    TCol c;
    c.Name = std::move(aName);
    return c;
}
inline TCol Typed(std::string aName, TDBFieldType aType) {
    TCol c;
    c.Name = std::move(aName);
    c.Type = aType;
    return c;
}
inline TCol NotNull(TCol c) {
    c.NotNull = true;
    return c;
}
inline TCol Default(TCol c, std::string aDefault) {
    c.Default = std::move(aDefault);
    return c;
}

// A name as the server stores it. A plain name (ASCII letters, digits and underscores in one
// case) is folded as the server folds unquoted names; any other name is kept as written on
// Firebird and PostgreSQL, and lower-cased on MariaDB, whose row statements are lower-cased
// whole (FoldForServer).
inline std::string StoredName(const std::string& aName, TDatabaseType Db) {
    const bool plain = aName.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_") == std::string::npos ||
                       aName.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789_") == std::string::npos;
    if (plain) return ServerName(aName, Db);
    return Db == dbMySQL ? LowerCase(aName) : aName;
}

// The stored name quoted for a statement of rows or checks.
inline std::string Q(const std::string& aName, TDatabaseType Db) {
    const char quote = Db == dbMySQL ? '`' : '"';
    return quote + StoredName(aName, Db) + quote;
}

// Links indices and constraints to their tables and columns, and foreign keys to the
// single-column primary or unique keys they reference, as the script parsers do.
inline void LinkAsParsersDo(TCustomObjs& o) {
    auto cols = [&o](TDbObj* user, const std::string& table, const TFldList& list) {
        TTblData* t = o.Tbl.Find(table);
        if (!t) return;
        o.LinkDepend(user, t);
        for (TFldData* f : list) o.LinkDepend(user, t, f->fObjName);
    };
    for (TIdxData* x : o.Idx) cols(x, x->TblName, x->Flds);
    for (TCtrData* c : o.Ctr) {
        cols(c, c->fTblName, c->Flds);
        if (c->fCtType != ctFKey) continue;
        cols(c, c->fRefTblName, c->RefFlds);
        for (TCtrData* k : o.Ctr)
            if ((k->fCtType == ctPKey || k->fCtType == ctUnique) && k->fTblName == c->fRefTblName &&
                k->Flds.Count() == 1 && k->Flds.Keys(0) == c->RefFlds.Keys(0))
                o.LinkDepend(c, k);
    }
}

struct TObjBuilder {
    TCustomObjs& o;
    TDatabaseType db;

    std::string N(const std::string& aName) const { return StoredName(aName, db); }

    // A schema (PostgreSQL).
    TSchData* Schema(const std::string& aName) {
        auto* s = new TSchData(&o);
        s->SetObjName(N(aName));
        o.AddObj(s);
        return s;
    }
    // A table, in aSchema when given.
    TTblData* Table(const std::string& aName, const std::vector<TCol>& aCols, const std::string& aSchema = "") {
        auto* t = new TTblData(&o);
        t->SetObjName(N(aName));
        if (!aSchema.empty()) t->SetSchema(N(aSchema));
        for (const TCol& c : aCols) {
            TFldData* f = t->AddFld(N(c.Name));
            f->OwnObj = t;
            f->FieldType = c.Type;
            f->CharLength = c.Length;
            f->Nullable = !c.NotNull;
            f->SetDefValue(c.Default);
        }
        o.AddObj(t);
        return t;
    }
    TCtrData* PrimaryKey(const std::string& aName, const std::string& aTable, const std::string& aCol) {
        return Constraint(ctPKey, aName, aTable, aCol, "", "");
    }
    TCtrData* Foreign(const std::string& aName, const std::string& aTable, const std::string& aCol,
                      const std::string& aRefTable, const std::string& aRefCol) {
        return Constraint(ctFKey, aName, aTable, aCol, aRefTable, aRefCol);
    }
    TCtrData* Constraint(TConstraintType aType, const std::string& aName, const std::string& aTable,
                         const std::string& aCol, const std::string& aRefTable, const std::string& aRefCol) {
        auto* c = new TCtrData(&o);
        c->SetCtType(aType);
        c->SetObjName(N(aName));
        c->SetTblName(N(aTable));
        c->AddFld(N(aCol));
        if (aType == ctFKey) {
            c->SetRefTblName(N(aRefTable));
            c->AddRefFld(N(aRefCol));
        }
        o.AddObj(c);
        return c;
    }

    // A procedure, or with aFunc a function returning the first of aReturns (a nameless
    // column). PostgreSQL routines are plpgsql unless aTweak sets another language. Linked to
    // what the body uses; parameters are filed before the routine, whose key may carry them.
    TPrcData* Routine(const std::string& aName, const std::string& aBody, const std::vector<TCol>& aParams = {},
                      const std::vector<TCol>& aReturns = {}, bool aFunc = false, const std::vector<TDbObj*>& aUses = {},
                      const std::function<void(TPrcData&)>& aTweak = nullptr) {
        auto* p = new TPrcData(&o);
        p->SetObjName(N(aName));
        p->Func = aFunc;
        p->SetBody(aBody);
        auto typed = [this](TFldData* f, const TCol& c) {
            f->FieldType = c.Type;
            f->CharLength = c.Length;
            f->SetDefValue(c.Default);
        };
        for (const TCol& c : aParams) typed(p->AddParam(c.Name.empty() ? c.Name : N(c.Name)), c);
        for (const TCol& c : aReturns) typed(p->AddReturn(c.Name.empty() ? c.Name : N(c.Name)), c);
        if (db == dbPostgreSQL) p->Language = "plpgsql";
        if (aTweak) aTweak(*p);
        o.AddObj(p);
        for (TDbObj* u : aUses) o.LinkDepend(p, u);
        return p;
    }

    // A domain of the column's type, default and nullability; aTweak sets the rest.
    TDmnData* Domain(const std::string& aName, const TCol& aType, const std::function<void(TDmnData&)>& aTweak = nullptr) {
        auto* d = new TDmnData(&o);
        d->SetObjName(N(aName));
        d->fData->FieldType = aType.Type;
        d->fData->CharLength = aType.Length;
        d->fData->Nullable = !aType.NotNull;
        d->fData->SetDefValue(aType.Default);
        if (aTweak) aTweak(*d);
        d->CheckSysName();
        o.AddObj(d);
        return d;
    }
    // A column of the table typed by the domain, linked to it.
    TFldData* DomainColumn(TTblData* aTable, const std::string& aName, TDmnData* aDomain) {
        TFldData* f = aTable->AddFld(N(aName));
        f->OwnObj = aTable;
        f->FieldType = iftDomain;
        f->EditRare().DomainName = aDomain->fObjName;
        o.LinkDepend(aTable, aDomain, f->fObjName);
        return f;
    }
    // A generator or sequence, its options set by aTweak.
    TGnrData* Sequence(const std::string& aName, const std::function<void(TGnrData&)>& aTweak = nullptr) {
        auto* g = new TGnrData(&o);
        g->SetObjName(N(aName));
        if (aTweak) aTweak(*g);
        o.AddObj(g);
        return g;
    }

    void Link() { LinkAsParsersDo(o); }
};

}  // namespace dbtwin::live
