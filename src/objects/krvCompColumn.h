// Columns and every other typed item (view columns, routine parameters and results,
// external-function arguments, domain base types), and the column type text per database
// kind. Two columns have the same type exactly when their type texts are equal strings,
// so spelling, spacing and clause order of these texts are fixed.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/krvClasses.h"

namespace dbtwin {

// Column types. The ordinals are stored by extractors and index FieldTypeNames: never
// reorder.
enum TDBFieldType : std::uint8_t {
    iftUnknown, iftInteger, iftBigInt, iftFloat, iftDoublePrecision, iftFloat4, iftFloat8,
    iftDecFloat, iftTinyInt, iftReal, iftDouble, iftNumber, iftLong, iftLongRaw, iftVarchar,
    iftChar, iftLongVarchar, iftVarChar2, iftDate, iftTime, iftTimeStamp, iftTimeTZ,
    iftTimeStampTZ, iftDateTime, iftDateTime2, iftSmallDateTime, iftDateTimeOffset, iftGraphic,
    iftVarGraphic, iftGeometry, iftPoint, iftCurve, iftLineString, iftSurface, iftPolygon,
    iftGeometryCollection, iftMultiPoint, iftMultiCurve, iftMultiLineString, iftMultiSurface,
    iftMultiPolygon, iftBlob, iftClob, iftDbClob, iftBinary, iftLongBinary, iftNumeric,
    iftDecimal, iftText, iftNChar, iftNVarChar, iftNVarChar2, iftNText, iftNClob, iftSmallInt,
    iftQuad, iftCstring, iftNationalChar, iftRaw, iftRowID, iftURowID, iftMediumInt, iftYear,
    iftTinyBlob, iftMediumBlob, iftLongBlob, iftTinyText, iftMediumText, iftLongText, iftEnum,
    iftSet, iftBit, iftVarBit, iftMoney, iftSmallMoney, iftGuid, iftVarBinary, iftImage,
    iftBFile, iftUniqueIdent, iftSysName, iftSqlVariant, iftCursor, iftCursorVarying, iftTable,
    iftXml, iftIntervalYearToMonth, iftIntervalDayToSecond, iftSerial, iftBigSerial, iftByteA,
    iftInterval, iftInt2, iftInt4, iftInt8, iftOID, iftBoolean, iftDomain
};
DBTWIN_ENUM_COUNT(TDBFieldType, 98);

// Type keywords indexed iftUnknown..iftBoolean; iftDomain has no keyword.
extern const std::array<const char*, 97> FieldTypeNames;

// The first type whose keyword equals the upper-cased name; iftUnknown when none does.
// Mixed-case keywords (the geometry names) never match.
TDBFieldType FieldTypeByName(std::string_view aName);

struct TDbArrayBound {
    std::int32_t LowerBound = 0;
    std::int32_t UpperBound = 0;
    bool operator==(const TDbArrayBound&) const = default;
};

// What most columns and parameters leave unset, kept out of the record until one of it is
// written (EditRare); Rare() reads the defaults while unset.
struct TFldRare {
    TFldRare();
    ~TFldRare();
    TFldRare(const TFldRare&) = delete;
    TFldRare& operator=(const TFldRare&) = delete;

    TRareString FDefValue;                    // read through GetDefValue
    TRareString DomainName;
    TRareString DomainSchema;
    TRareString CharSet;
    std::int32_t CharSetID = 0;
    TRareString CheckDef;         // inline CHECK text, with its leading space and parentheses
    TRareString CtrName;
    TRareString Collation;
    std::int32_t CollationID = 0;
    std::int32_t BlobSubType = 0;
    TRareString BlobSubTypeIdent;
    std::int32_t BlobSegSize = 0;
    bool TypeOf = false;
    TRareString TypeOfTbl;
    TRareString TypeOfFld;
    std::vector<TDbArrayBound> ArrayBounds;
    bool FncByValue = false;
    bool FncByDescriptor = false;
    std::int32_t FncParameter = 0;
    bool FncDeterministic = false;
    bool ComputedTyped = false;  // a computed column written with its type (a script)
    std::int32_t IndexSortType = 0;
    std::vector<std::string> EnumValues;  // MySQL ENUM/SET values as written (literals)
    std::int32_t IdentitySeed = 0;
    std::int32_t IdentityIncrement = 0;
    std::unique_ptr<TGnrData> SeqData;    // identity sequence options (DB2); made on demand
    char Generated = '\0';                // DB2: 'A' always, 'D' by default
    TRareString GeneratedAs;
    bool NotForReplication = false;
    bool RowGuidCol = false;
    TRareString RuleName;
    bool Persisted = false;
    TRareString XmlBody;
    bool RefToType = false;
    bool WithTimeZone = false;
    bool WithLocalTimeZone = false;
    TRareString KeyName;
    std::unique_ptr<TTblData> tblData;    // table type of a TABLE-typed parameter
    std::int32_t Logged = -1;             // DB2 LOB options: -1 unset, 0 no, 1 yes
    std::int32_t Compact = -1;
    bool ForBitData = false;
    bool JavaLang = false;
    TRareString JavaLangType;
};

class TFldData : public TDbObj {
public:
    explicit TFldData(TCustomObjs* aObjs);
    ~TFldData() override;
    const char* ClassName() const override { return "TFldData"; }

    std::string OwnName;          // owning table, view or routine
    TDbObj* OwnObj = nullptr;     // owning object; not owned
    std::int32_t FieldLength = 0;             // bytes
    std::int32_t CharLength = 0;              // characters; -1 = MAX
    std::int32_t FldType = 0;                 // raw type code of the source system
    std::int32_t Precision = 0;
    std::int32_t Scale = 0;
    std::int32_t Position = 0;
    std::int32_t PositionTarget = -1;
    std::int32_t DBPosition = 0;
    TDBFieldType FieldType = iftUnknown;
    TDBFieldType NumericFieldType = iftUnknown;  // storage type behind NUMERIC/DECIMAL
    TParamInOutType InOut = ioUnknown;
    bool Nullable = true;
    bool Unsigned = false;
    bool ZeroFill = false;
    bool Binary = false;
    bool AutoInc = false;
    bool Exists = false;
    bool Compare = false;
    bool Identity = false;

    // The optional attributes; the shared defaults while unset.
    const TFldRare& Rare() const { return fRare ? *fRare : fNoRare; }
    TFldRare& EditRare();

    // A computed column: its computed-by expression is the body.
    bool IsComputed() const { return !fBody.empty(); }
    // Creates the column's domain and the external functions a computed column uses first.
    void DoBeforeCreate() override;
    // Empties routines and drops computed columns, indices, constraints and views that use
    // the column before it is dropped.
    void DoBeforeDrop() override;
    // The owning table's column order must be rewritten after a drop.
    void DoAfterDrop() override;
    bool IsField() const override { return true; }
    bool IsComputedColumn() const override { return IsComputed(); }
    TDbObj* GetOwnerObj() const override { return OwnObj; }
    TDescriptionTarget DescriptionTarget() const override;
    void AddCreateDescriptions() override;
    // A user needs a column of a table: the column is added first (unless the user is that
    // table, which creates it). A view being created also adds a table column whose
    // counterpart is gone.
    void CreateForUser(TDbObj* aUser, TDependObj* aLink, TUseWalk aWalk) override;
    // A computed column that uses a dropped view is dropped; a column of a view that uses a
    // dropped routine takes that view down.
    void DropForUsed(TDbObj* aUsed, TDependObj* aLink) override;
    std::string OwnerTableName() const override { return OwnName; }
    // The column name.
    std::string GetCaption() const override { return fObjName; }

    // The default text; a default wholly enclosed in double quotes is re-written as a string
    // literal of the column's database kind.
    std::string GetDefValue() const;
    void SetDefValue(const std::string& aValue) {
        if (!aValue.empty() || fRare) EditRare().FDefValue = aValue;
    }
    // The identity sequence record, created on first use.
    TGnrData* GetSeqData();

    // Copies everything but the owner and the links (see the field list in the .cpp).
    void Assign(const TFldData& Source);
    // Copies only the type.
    void AssignDataType(const TFldData& Source);
    // True when the dimension counts or any bound differ.
    bool ArrayBoundsDiff(const TFldData& aOther) const;

    // Type of an InterBase/Firebird system-table type code.
    TDBFieldType FldTypeFromIbType(std::int32_t IbType, std::int32_t IbSubType);

    bool IsCharType() const;
    // The domain of a domain-typed column in this column's set, else nullptr.
    TDmnData* GetDmnData() const;
    std::string DefaultCharSet() const;
    // Stores character set and collation as read from an InterBase catalog, dropping what
    // the database or the domain implies.
    void GetCharsetCollation(std::int32_t CharsetID, const std::string& CharsetName,
                             const std::string& CollationName, std::int32_t CollationID);
    // Parameters of a routine with a language are written "in"/"out"/"inout" first.
    bool InOutFirst() const;

    // The bare type text: no name, no nullability, no default.
    std::string FieldTypeDef() const;
    // The type keyword with its length, precision, array bounds and blob sub-type.
    std::string StoredTypeDef() const;
    // The column text after the name for the column's database kind.
    std::string TypeDef() const;
    // Name plus type text.
    std::string Def() const override;
    // ALTER TABLE ... ADD column.
    std::string CreateDef() const override;
    // ALTER TABLE ... DROP column.
    std::string DropDef() const override;

    std::string IBTypeDef() const;
    std::string MySQLTypeDef() const;
    std::string PGSQLTypeDef() const;
    std::string ASATypeDef() const;
    std::string ASETypeDef() const;
    std::string MSSQLTypeDef() const;
    std::string OracleTypeDef() const;
    std::string DB2TypeDef() const;

private:
    static const TFldRare fNoRare;  // what Rare() reads while unset
    std::unique_ptr<TFldRare> fRare;
    bool OwnerIsProcedure() const;
    const TIBServerOptions& IBOptions() const;
};

}  // namespace dbtwin

namespace dbtwin {

// Creates a column named aName owned by aOwner's list, with owner name and position set;
// nullptr when the list refuses the name.
TFldData* AddOwnedFld(TKeyedList<TFldData>& aList, TDbObj* aOwner, const std::string& aName,
                      TDbObject aKind);

}  // namespace dbtwin
