// Shared vocabulary of the library: enumerations and sets, small option records,
// callback types, text helpers and the text encodings used for script files.
#pragma once

#include <atomic>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/krvRareString.h"

namespace dbtwin {

// Base of every library object that may be referred to without ownership
// (message objects, event senders).
class TObject {
public:
    virtual ~TObject() = default;
};

class TComponent;
class TStatement;

// Errors raised inside the library.
class EKrvError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Number of values of an enumeration; specialised next to each enumeration.
template <typename E>
inline constexpr std::size_t EnumCount = 0;

#define DBTWIN_ENUM_COUNT(E, N)                                                                   \
    template <>                                                                                   \
    inline constexpr std::size_t EnumCount<E> = N

enum TDatabaseType : std::uint8_t {
    dbAbstract, dbInterBase, dbSybaseASA, dbMySQL, dbOracle, dbMSSQL, dbPostgreSQL, dbDB2,
    dbSybaseASE, dbPervasiveSQL, dbMSAccess, dbParadox, dbDBASE, dbCustomOLEDB
};
DBTWIN_ENUM_COUNT(TDatabaseType, 14);

enum TconnectionType : std::uint8_t {
    cnAbstract, cnIBX, cnFIB, cnIBO, cnADO, cnZEOS, cnBDE, cnDBX, cnAnyDAC, cnUIB, cnODAC,
    cnSAVCL, cnMyDAC, cnPostgresDAC, cnIBDAC, cnFireDAC, cnUniDAC
};
DBTWIN_ENUM_COUNT(TconnectionType, 17);

enum TKRVProtocol : std::uint8_t { ptTCP, ptSPX, ptNamedPipe, ptLocal };
DBTWIN_ENUM_COUNT(TKRVProtocol, 4);

enum TCmpObjType : std::uint8_t {
    coDomain, coFunction, coGenerator, coException, coTable, coView, coProcedure, coTrigger,
    coIndex, coRole, coGrant, coRoleGrant, coUserGrant, coObjGrant, coPrimaryKey, coForeignKey,
    coUnique, coCheck, coRule, coDefault, coCtrDefault, coPackage, coDescription
};
DBTWIN_ENUM_COUNT(TCmpObjType, 23);

enum TCompareRoleType : std::uint8_t { crUnknownRole, crMasterRole, crTargetRole };
DBTWIN_ENUM_COUNT(TCompareRoleType, 3);

enum TExtractFromType : std::uint8_t { efUnknown, efDatabase, efScript };
DBTWIN_ENUM_COUNT(TExtractFromType, 3);

enum TStatType : std::uint8_t {
    stConnect, stReconnect, stCreateDb, stSet, stSetBlobFile, st_Commit, stStatement, stComment,
    stProcedure, stTrigger, stSetNames, stCharSet, stSqlDialect, stDescription, stSelect,
    stInsert, stUpdate, stDelete, stExecuteBlock, stPackage
};
DBTWIN_ENUM_COUNT(TStatType, 20);

enum TDbObject : std::uint8_t {
    dboUnknown, dboTable, dboProcedure, dboTrigger, dboFunction, dboException, dboIndex,
    dboDomain, dboView, dboGenerator, dboEvent, dboField, dboParam, dboDatabase, dboBlobFilter,
    dboCollation, dboConstraint, dboPKey, dboFKey, dboUnique, dboCheck, dboReferences,
    dboCtrDefault, dboRole, dboGrant, dboRule, dboDefault, dboPackage, dboPackageBody,
    dboPublication, dboSchema, dboOperator, dboOperatorClass, dboExtension, dboConversion,
    dboUser, dboUserGroup, dboValidation, dboExprIndex, dboCount, dboComputed, dboDepend,
    dboPrkList, dboFrkList, dboUnqList, dboChkList, dboDefList, dboRefList, dboIdxList,
    dboExcList, dboRolList, dboGntList, dboCdfList, dboPrcList, dboTrgList, dboFncList,
    dboRulList, dboGnrList, dboPkgList, dboDmnList, dboViwList, dboFldList, dboTblLIst,
    dboPblList, dboOprList, dboOpcList, dboCnvList, dboEvtList, dboCltList, dboUseInList,
    dboUseOfList
};
DBTWIN_ENUM_COUNT(TDbObject, 71);

enum TDbOperation : std::uint8_t {
    odbUnknown, odbCreate, odbAlter, odbDrop, odbEmpty, odbRestore, odbEmptyCreate, odbEmptyDrop,
    odbSet, odbCommit, odbComment, odbDescription, odbInsert, odbUpdate, odbDelete
};
DBTWIN_ENUM_COUNT(TDbOperation, 15);

enum TParamInOutType : std::uint8_t { ioUnknown, ioIn, ioOut, ioInout, ioVariadic };
DBTWIN_ENUM_COUNT(TParamInOutType, 5);

enum TTblOnCommit : std::uint8_t { tocUnknown, tocDelete, tocPreserve };
DBTWIN_ENUM_COUNT(TTblOnCommit, 3);

enum TGrantPrivilege : std::uint8_t {
    gntAll, gntInsert, gntUpdate, gntDelete, gntSelect, gntExecute, gntReferences, gntConnect,
    gntAlter, gntCreateDatabaseLink, gntCreateSequence, gntCreateSession, gntCreateTrigger,
    gntCreateProcedure, gntCreateType, gntCreateSynonym, gntCreatePublicSynonym, gntDropSynonym,
    gntDropPublicSynonym, gntCreateTable, gntCreateView, gntCreateIndexType, gntCreateRule,
    gntCreateDefault, gntCreateFunction, gntCreateDatabase, gntBackupDatabase, gntBackupLog,
    gntDumpDatabase, gntDumpTransaction, gntViewAnyDatabase, gntTruncateTable,
    gntUpdateStatistics, gntDeleteStatistics, gntUnlimitedTableSpace, gntDropTable, gntDropView,
    gntDropTrigger, gntDropProcedure, gntDropSequence, gntDropType, gntDropIndexType,
    gntForceAnyTransaction, gntUsageOn
};
DBTWIN_ENUM_COUNT(TGrantPrivilege, 44);

enum TUpdateDescriptionType : std::uint8_t { udSysTables, udDescribe, udComment };
DBTWIN_ENUM_COUNT(TUpdateDescriptionType, 3);

enum TOracleDataType : std::uint8_t { odUnknown, odSimple, odObject, odVArray, odAsTable, odIsTable };
DBTWIN_ENUM_COUNT(TOracleDataType, 6);

enum TMySQLProcOptions : std::uint8_t {
    mpLanguageSql, mpDeterministic, mpNotDeterministic, mpContainsSql, mpNoSql, mpReadsSqlData,
    mpModifiesSqlData, mpSqlSecurityDefiner, mpSqlSecurityInvoker
};
DBTWIN_ENUM_COUNT(TMySQLProcOptions, 9);

enum TASASQLDialect : std::uint8_t { asaSybaseSQL, asaTransactSQL };
DBTWIN_ENUM_COUNT(TASASQLDialect, 2);

enum TIdentQuoteType : std::uint8_t {
    iqAutoQuote, iqNoneQuote, iqSingleQuote, iqDoubleQuote, iqBrackQuote
};
DBTWIN_ENUM_COUNT(TIdentQuoteType, 5);

enum TkrvEncode : std::uint8_t {
    encDefault, encANSI, encUnicode, encBigEndianUnicode, encUTF8, encUTF7
};
DBTWIN_ENUM_COUNT(TkrvEncode, 6);

// A set over an enumeration (or over byte values): bit n stands for ordinal n.
template <typename E, std::size_t N = EnumCount<E>>
class TSet {
    static_assert(N > 0, "TSet needs the number of values of its enumeration");

public:
    constexpr TSet() = default;
    TSet(std::initializer_list<E> values) {
        for (E v : values) Include(v);
    }

    static TSet All() {
        TSet s;
        s.fBits.set();
        return s;
    }
    // The set as an integer mask (bit n = ordinal n); only for sets of at most 64 values.
    std::uint64_t Mask() const
        requires(N <= 64)
    {
        return fBits.to_ullong();
    }
    static TSet FromMask(std::uint64_t mask)
        requires(N <= 64)
    {
        TSet s;
        for (std::size_t i = 0; i < N; ++i)
            if (mask & (std::uint64_t{1} << i)) s.fBits.set(i);
        return s;
    }

    bool Contains(E v) const { return fBits.test(static_cast<std::size_t>(v)); }
    TSet& Include(E v) {
        fBits.set(static_cast<std::size_t>(v));
        return *this;
    }
    TSet& Exclude(E v) {
        fBits.reset(static_cast<std::size_t>(v));
        return *this;
    }
    bool IsEmpty() const { return fBits.none(); }
    std::size_t Count() const { return fBits.count(); }

    TSet operator+(const TSet& o) const { return TSet(fBits | o.fBits); }
    TSet operator-(const TSet& o) const { return TSet(fBits & ~o.fBits); }
    TSet operator*(const TSet& o) const { return TSet(fBits & o.fBits); }
    TSet& operator+=(const TSet& o) {
        fBits |= o.fBits;
        return *this;
    }
    TSet& operator-=(const TSet& o) {
        fBits &= ~o.fBits;
        return *this;
    }
    bool operator==(const TSet& o) const = default;

    const std::bitset<N>& Bits() const { return fBits; }

private:
    explicit TSet(const std::bitset<N>& b) : fBits(b) {}
    std::bitset<N> fBits;
};

using TDatabaseSetType = TSet<TDatabaseType>;
using TConnectionSetType = TSet<TconnectionType>;
using TCmpObjSetType = TSet<TCmpObjType>;
using TDbObjectSet = TSet<TDbObject>;
using TDbObjSet = TDbObjectSet;
using TGrantPrivilegeSet = TSet<TGrantPrivilege>;
using TMySqlProcOptionsSet = TSet<TMySQLProcOptions>;
using TSymSet = TSet<std::uint8_t, 256>;

// Display names of the statement kinds, indexed by TStatType.
extern const char* const StatTypeStr[EnumCount<TStatType>];

// Oracle physical attributes of a table or index.
struct TTableSpace {
    std::int32_t PctFree = 0;
    std::int32_t PctUsed = 0;
    std::int32_t IniTrans = 0;
    std::int32_t MaxTrans = 0;
    TRareString Storage;
    TRareString Cache;

    std::string Def() const;
    void Clear();
    bool IsEmpty() const;
    void AssignDiffs(TTableSpace& other);
};

// Oracle object-type and member inheritance directives.
struct TTypeDirective {
    bool NotInstantiable = false;
    bool NotFinal = false;
    bool Final = false;
    bool Instantiable = false;
    bool Overriding = false;

    std::string Def() const;
};

// SQL Server index WITH options (and the index method of PostgreSQL indices).
struct TIndexOptions {
    bool PadIndex = false;
    std::int32_t FillFactor = 0;
    bool IgnoreDupKey = false;
    bool StatisticsNorecompute = false;
    bool AllowRowLocks = false;
    bool AllowPageLocks = false;
    bool SortInTempDb = false;
    bool DropExisting = false;
    bool Online = false;
    std::int32_t MaxDop = 0;
    std::string Using;

    std::string Def() const;
    void Clear();
};

// SQL Server full-text index options.
struct TFullTextIndexOptions {
    std::string ChangeTracking;
    bool NoPopulation = false;
    bool StoplistOff = false;
    bool StoplistSys = false;
    std::string StopListName;
    std::string SearchPropertyList;

    std::string Def() const;
    void Clear();
};

// When on, every object about to be created logs a line.
extern std::atomic<bool> DebugLog;
// Set by the host to ask a running parse, extraction or script execution to stop; read
// between steps, never written by the library.
extern std::atomic<bool> TerminateRunning;

// Callback types; Sender is the component that raises the event.
using TLogProcedure = std::function<void(const std::string& aText)>;
using TNotifyEvent = std::function<void(TObject* Sender)>;
using TProgressUpdateEvent = std::function<void(TObject* Sender, int Value, int MaxValue)>;
using TProgressUpdateExEvent = std::function<void(TObject* Sender, bool Detailed,
                                                  const std::string& aText, int Value,
                                                  int MaxValue)>;
using TLogNextLineEvent = std::function<void(TObject* Sender, const std::string& LogText)>;
using TErrorMessageEvent = std::function<void(TObject* Sender, const std::string& ErrText)>;
using TLoadScriptEvent = std::function<void(TObject* Sender, const std::string& FileName,
                                            std::vector<std::string>& aScript, bool& Loaded)>;
using TAddStatementEvent = std::function<void(
    TObject* Sender, const std::string& aText, TStatType aTyp, const std::string& aObjName,
    TDbObject aObjType, TDbOperation aOperation, const std::string& aOwnName,
    TStatement*& Statement)>;

// Statement terminator of a plain statement in a script of the given kind.
std::string GenScriptTerm(TDatabaseType aDatabaseType);
// The text as a string literal of the given kind.
std::string ScriptQuotedStr(std::string_view aText, TDatabaseType aDatabaseType);
// "schema.name", or the name alone when the schema is empty. No quoting.
std::string SchObjName(std::string_view aSchema, std::string_view aName);
// Decimal text to integer; aValue is set in every case (0 when the text does not convert).
bool TryStrToInt(std::string_view aText, std::int32_t& aValue);
bool TryStrToInt(std::string_view aText, std::int64_t& aValue);
// Replaces the characters that file systems or shells treat specially by a blank.
std::string ValidateFileName(std::string_view aText);

// A text encoding for script files. Library text is UTF-8; an encoding converts it to and
// from the bytes of a file.
class TkrvEncoding {
public:
    virtual ~TkrvEncoding() = default;

    // The encoding for a TkrvEncode value; encDefault and unknown values give the ANSI one.
    static const TkrvEncoding& krvGetEncoding(TkrvEncode aEncode);
    // The bytes of a text in that encoding.
    static std::string krvGetBytes(std::string_view aValue, TkrvEncode aEncode);
    // Frees the cached ANSI code-page encoding.
    static void FreeEncodings();
    // The single-byte code page used for encANSI / encDefault (an iconv name,
    // "WINDOWS-1252" unless set). Takes effect for encodings created afterwards.
    static void SetAnsiCodePage(const std::string& aCodePage);
    static std::string GetAnsiCodePage();

    // Decodes the bytes of a file: a UTF-8 or UTF-16 byte-order mark decides the encoding;
    // without one the bytes are taken as UTF-8 when they are valid UTF-8, else in the ANSI
    // code page.
    static std::string DecodeFileBytes(std::string_view aBytes);

    explicit TkrvEncoding(std::string aCharset, std::string aPreamble = {});

    const std::string& Charset() const { return fCharset; }
    // Byte-order mark written at the start of a file in this encoding (may be empty).
    const std::string& GetPreamble() const { return fPreamble; }
    // UTF-8 text to bytes; characters the encoding cannot hold become '?'.
    std::string GetBytes(std::string_view aText) const;
    // Bytes to UTF-8 text; malformed input becomes U+FFFD.
    std::string GetString(std::string_view aBytes) const;

private:
    std::string fCharset;
    std::string fPreamble;
};

}  // namespace dbtwin
