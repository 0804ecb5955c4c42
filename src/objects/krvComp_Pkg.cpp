#include "objects/krvComp_Pkg.h"

#include "compare/krvKeldar.h"
#include "core/krvDialect.h"
#include "exec/krvSQL_Exec.h"
#include "objects/krvComp_Fnc.h"
#include "objects/krvComp_Prc.h"
#include "objects/krvComp_Trg.h"

namespace dbtwin {

namespace {

constexpr const char* kCRLF = "\r\n";

// Firebird writes its own package syntax in every version (it has no CREATE OR REPLACE);
// every other kind that has packages writes Oracle's.
bool FirebirdSyntax(const TDbObj& aPkg) { return aPkg.GetDatabaseType() == dbInterBase; }

// The package name in its statements: quoted, and on Oracle with its schema when set.
std::string PackageName(const TDbObj& aPkg) {
    return FirebirdSyntax(aPkg) ? aPkg.QuoteIdent(aPkg.fObjName) : aPkg.GetObjFullName();
}

}  // namespace

// ---------------------------------------------------------------------------
// TPkgData

std::string TPkgData::HeaderDef() const {
    if (FirebirdSyntax(*this))
        return "CREATE OR ALTER PACKAGE " + PackageName(*this) + kCRLF + "    AS" + kCRLF + HeaderBody;
    return "CREATE OR REPLACE PACKAGE " + PackageName(*this) + kCRLF + HeaderBody;
}

std::string TPkgData::BodyDef() const {
    if (FirebirdSyntax(*this))
        return "RECREATE PACKAGE BODY " + PackageName(*this) + kCRLF + "    AS" + kCRLF + fBody.str();
    return "CREATE OR REPLACE PACKAGE BODY " + PackageName(*this) + kCRLF + fBody.str();
}

std::string TPkgData::DropBodyDef() const { return "DROP PACKAGE BODY " + PackageName(*this); }

std::string TPkgData::Def() const {
    std::string r = HeaderDef();
    if (!fBody.empty())
        r += kCRLF + std::string(DialectTraits(GetDatabaseType()).RoutineTerm) + kCRLF + kCRLF + BodyDef();
    return r;
}

std::string TPkgData::DropDef() const { return "DROP PACKAGE " + PackageName(*this); }

void TPkgData::AddCreateStatement() {
    if (CompExclude) return;
    AddStatement(HeaderDef(), stPackage, fObjName, dboPackage, odbCreate);
    if (!fBody.empty()) AddStatement(BodyDef(), stPackage, fObjName, dboPackage, odbCreate);
    SetObjCreated(true);
}

// ---------------------------------------------------------------------------
// Generators

void GenScriptPkgCreate(TKeldar& k) {
    TCustomObjs* M = k.GetMObjs();
    TCustomSQLExec* ex = k.GetSQLExec();
    if (!M || !ex) return;
    bool any = false;
    for (TPkgData* m : M->Pkg) {
        if (m->GetRefObj() || m->GetObjCreated() || m->CompExclude) continue;
        if (!any) ex->AddComment("/* Create package... */");
        any = true;
        m->CreateDependDef();
    }
    if (any) ex->AddComment(kCRLF);
}

namespace {

// Empties the routines and triggers that use the target package t, so that its header can
// change under them; their master versions write their bodies again in the restore passes.
// A user whose restore does not run keeps its body, with a warning.
void EmptyPackageUsers(TKeldar& k, TPkgData& t) {
    TCustomSQLExec* ex = k.GetSQLExec();
    for (std::size_t i = 0; i < t.fUseIn.size(); ++i) {
        TDependObj* link = t.fUseIn[i].get();
        TDbObj* user = link->Obj;
        if (!link->Active || !user || !user->GetObjCreated()) continue;
        auto* p = dynamic_cast<TPrcData*>(user);
        auto* trg = dynamic_cast<TTrgData*>(user);
        if (!p && !trg) continue;
        link->Active = false;
        if (!RebuiltLater(k.GetCompareObjects(), user)) {
            k.AddWarning(std::string(user->ClassName()) + " " + user->GetCaption() + " uses package " + t.fObjName +
                         " and would not be restored by the compared categories: it is not emptied before the "
                         "package header changes");
            continue;
        }
        if (p ? p->fBody == p->EmptyBody() : trg->fBody == trg->EmptyBody()) continue;
        ex->AddComment(t.GenComment("Empty " + user->fObjName + " before package alter: " + t.fObjName));
        if (p) p->AssignEmptyBody(true);
        else trg->AssignEmptyBody();
    }
}

}  // namespace

// A package present on both sides whose header changed is written again after what uses
// it has been emptied (a header that drops a routine a user calls is refused otherwise);
// its body follows, since the server invalidates the body of a changed header. A changed
// body alone is replaced without touching the users.
void GenScriptPkgAlter(TKeldar& k) {
    TCustomObjs* M = k.GetMObjs();
    TCustomSQLExec* ex = k.GetSQLExec();
    if (!M || !ex) return;
    bool any = false;
    for (TPkgData* m : M->Pkg) {
        auto* t = dynamic_cast<TPkgData*>(m->GetRefObj());
        if (!t || m->CompExclude || !t->GetObjCreated()) continue;
        const bool header = m->HeaderDef() != t->HeaderDef();
        const bool body = m->fBody != t->fBody;
        if (!header && !body) continue;
        if (!any) ex->AddComment("/* Alter package... */");
        any = true;
        if (header) {
            EmptyPackageUsers(k, *t);
            m->AddStatement(m->HeaderDef(), stPackage, m->fObjName, dboPackage, odbAlter);
        }
        if (!m->fBody.empty())
            m->AddStatement(m->BodyDef(), stPackage, m->fObjName, dboPackage, odbAlter);
        else if (!t->fBody.empty())
            m->AddStatement(m->DropBodyDef(), stStatement, m->fObjName, dboPackage, odbDrop);
    }
    if (any) ex->AddComment(kCRLF);
}

void GenScriptPkgDrop(TKeldar& k) {
    TCustomObjs* T = k.GetTObjs();
    if (!T) return;
    DropUnmatchedObjects(*T, olPkg, k.GetSQLExec(), [](const TDbObj*) { return std::string("/* Drop package... */"); });
}

}  // namespace dbtwin
