// Domains and user types of every database kind (domains, SQL Server and ASE user types and
// XML schema collections, Oracle object, varray and table types, PostgreSQL domains,
// composite and base types), PostgreSQL encoding conversions, their texts and generators.
#pragma once

#include <memory>
#include <string>

#include "objects/krvCompColumn.h"
#include "objects/krvComp_Prc.h"

namespace dbtwin {

class TDmnData;
class TKeldar;

// The options of a PostgreSQL composite or base type.
struct TPGTypeOptions {
    explicit TPGTypeOptions(TDmnData* aOwner);
    ~TPGTypeOptions();
    TPGTypeOptions(const TPGTypeOptions&) = delete;
    TPGTypeOptions& operator=(const TPGTypeOptions&) = delete;

    TDmnData* dmnData;
    bool PGType = false;  // a type (composite or base), not a domain
    std::string Input, Output, Receive, Send, Analyze;
    std::int32_t InternalLength = -1;  // -1: not given
    std::int32_t ExternalLength = -1;
    bool PassedByValue = false;
    TDBFieldType Alignment = iftInt4;  // iftUnknown: not given
    std::string Storage = "plain";
    std::string Default;
    std::unique_ptr<TFldData> Element;  // element type of an array type
    std::string Delimiter;
    TFldList Flds;  // attributes of a composite type

    TFldData* AddFld(const std::string& aName);
    // " AS (...)" for a composite type, the option list "(...)" for a base type.
    std::string Def() const;
};

class TDmnData : public TDbObj {
public:
    explicit TDmnData(TCustomObjs* aObjs);
    ~TDmnData() override;
    const char* ClassName() const override { return "TDmnData"; }

    std::unique_ptr<TFldData> fData;  // the type itself
    std::string SysDataType;          // SQL Server/ASE: the system type, or "XML SCHEMA COLLECTION"
    TOracleDataType OracleType = odUnknown;
    std::int32_t OracleVArray = 0;
    TFldList OracleObjFlds;           // attributes of an Oracle object type or subtype
    TKeyedList<TPrcData> MemberPrcs;  // member routines (TMemberPrcData)
    TFldList Attribute;               // attributes added by ALTER TYPE ... ADD ATTRIBUTE
    bool AttrCascade = false;
    std::string TimeStamp, OID, UnderType;
    TTypeDirective TypeDirective;
    TPGTypeOptions PGOptions;
    bool MSSQLType = false;           // SQL Server alias type: CREATE TYPE ... FROM

    bool GetXmlSchemaCollection() const { return SysDataType == "XML SCHEMA COLLECTION"; }
    TFldData* AddObjFld(const std::string& aName);
    TFldData* AddAttribute(const std::string& aName);

    std::string GetCaption() const override { return GetShortObjName(); }
    std::string Def() const override;
    std::string OracleDef() const;
    std::string PGTypeDef() const;
    std::string DropDef() const override;
    // The type text used where the domain is compared as a type.
    std::string TypeDef() const;
    // The name of the domain's check constraint as the server knows it (PostgreSQL names an
    // unnamed one <domain>_check).
    std::string CheckConstraintName() const;

    // Creates the domains this one is based on first.
    void DoBeforeCreate() override;
    // Drops the domains and views built on the domain, and what uses its columns.
    void DoBeforeDrop() override;

    TObjListKind ListKind() const override { return olDmn; }
    TDescriptionTarget DescriptionTarget() const override;
    // PostgreSQL names a domain's check constraint domain_check: such a name is not kept.
    void CheckSysName() override;
    // A user needs the domain: it is created first.
    void CreateForUser(TDbObj* aUser, TDependObj* aLink, TUseWalk aWalk) override;
    // A domain based on a dropped domain goes first.
    void DropForUsed(TDbObj* aUsed, TDependObj* aLink) override;

    // A table column of the target that moves to another domain: the statement that makes it
    // use the master's domain, with the views over the table rebuilt. Not called by the
    // comparison phases.
    void CheckTableDomainChange(TKeldar& Keldar, const std::string& TableName, const std::string& FieldName);
};

// A PostgreSQL encoding conversion.
class TCnvData : public TDbObj {
public:
    explicit TCnvData(TCustomObjs* aObjs) : TDbObj(aObjs) { fObjType = dboConversion; }
    const char* ClassName() const override { return "TCnvData"; }

    bool DefConv = false;
    std::string ForSource, ToDest, ConvFunc;

    std::string Def() const override;
    std::string DropDef() const override;
    TObjListKind ListKind() const override { return olCnv; }
};

// Domain and conversion generators of the comparer.
void GenScriptDmnCreate(TKeldar& Keldar);
void GenScriptDmnAlter(TKeldar& Keldar);
void GenScriptDmnDrop(TKeldar& Keldar);
void GenScriptCnvCreate(TKeldar& Keldar);
void GenScriptCnvAlter(TKeldar& Keldar);
void GenScriptCnvDrop(TKeldar& Keldar);

}  // namespace dbtwin
