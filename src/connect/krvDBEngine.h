// The connection layer: the connection component, the database handle and query contract
// that every connection kind implements, the process-wide registry of kinds, and the
// parameter-marker parsers the kinds use.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/krvComponent.h"
#include "core/krvDBOptions.h"
#include "core/krvTypes.h"

namespace dbtwin {

class TKRVCustomConnection;
class TKRVConnection;
class TKRVDatabase;
class TKRVQuery;
class TKRVAbstractConnection;

// ---------------------------------------------------------------------------
// Values of parameters and fields

enum TKRVFieldType : std::uint8_t {
    ftUnknown, ftString, ftInteger, ftFloat, ftBCD, ftDate, ftTime, ftDateTime, ftBlob, ftMemo,
    ftBoolean
};
DBTWIN_ENUM_COUNT(TKRVFieldType, 11);

// A calendar date and time of day with microseconds; the parts a type lacks stay 0.
struct TKRVDateTime {
    std::int32_t Year = 0, Month = 0, Day = 0;
    std::int32_t Hour = 0, Minute = 0, Second = 0, Microsecond = 0;

    // "YYYY-MM-DD HH:MM:SS[.ffffff]" (fraction without trailing zeros); ftDate writes the date
    // only, ftTime the time only.
    std::string ToString(TKRVFieldType aType = ftDateTime) const;
    // Reads the forms ToString writes ("YYYY-MM-DD", "HH:MM:SS[.f]", both with a blank or
    // "T" between). Throws EKrvError on anything else.
    static TKRVDateTime Parse(std::string_view aText);
    bool operator==(const TKRVDateTime&) const = default;
};

// A typed value or NULL. Exact numerics (ftBCD) are kept as their decimal text, floats give
// the shortest text that reads back to the same double, blobs and strings are byte strings.
class TKRVValue {
public:
    bool IsNull() const { return fIsNull; }
    TKRVFieldType GetDataType() const { return fDataType; }

    // Conversions; a NULL gives "", 0, 0.0, a zero date-time, empty bytes and false.
    // AsInteger throws EKrvError when the value is not an integer that fits 64 bits;
    // AsFloat and AsDateTime when the text does not read as one.
    std::string AsString() const;
    std::int64_t AsInteger() const;
    double AsFloat() const;
    TKRVDateTime AsDateTime() const;
    const std::string& AsBlob() const;  // the bytes of a string, memo or blob; else AsString
    bool AsBoolean() const;

    void Clear(TKRVFieldType aType = ftUnknown);  // NULL of that type
    void SetString(std::string aValue);
    void SetInteger(std::int64_t aValue);
    void SetFloat(double aValue);
    void SetBCD(std::string aDecimalText);
    void SetDateTime(const TKRVDateTime& aValue, TKRVFieldType aType = ftDateTime);
    void SetBlob(std::string aBytes);
    void SetMemo(std::string aText);
    void SetBoolean(bool aValue);

private:
    TKRVFieldType fDataType = ftUnknown;
    bool fIsNull = true;
    std::string fText;  // string, memo, blob, BCD; also the cached text of AsBlob
    std::int64_t fInt = 0;
    double fFloat = 0;
    TKRVDateTime fDateTime;
    mutable std::string fBlobText;
};

class TKRVParam : public TKRVValue {
public:
    explicit TKRVParam(std::string aName = {}) : fName(std::move(aName)) {}
    const std::string& GetName() const { return fName; }

private:
    std::string fName;
};

// The parameters of a statement, one per marker in text order; a name may occur more than
// once (every occurrence takes the value of the first).
class TKRVParams {
public:
    void Clear() { fItems.clear(); }
    TKRVParam& Add(const std::string& aName);
    std::size_t Count() const { return fItems.size(); }
    TKRVParam& operator[](std::size_t i) { return fItems.at(i); }
    const TKRVParam& operator[](std::size_t i) const { return fItems.at(i); }
    // The first parameter of that name (case-insensitive); null when there is none.
    TKRVParam* FindParam(std::string_view aName);
    // The value that is bound for marker i: the first parameter with marker i's name, or
    // marker i itself when it has no name.
    const TKRVParam& BoundValue(std::size_t i) const;

private:
    std::vector<TKRVParam> fItems;
};

class TKRVField : public TKRVValue {
public:
    explicit TKRVField(std::string aName = {}) : fFieldName(std::move(aName)) {}
    const std::string& GetFieldName() const { return fFieldName; }

private:
    std::string fFieldName;
};

class TKRVFields {
public:
    void Clear() { fItems.clear(); }
    TKRVField& Add(const std::string& aName) { return fItems.emplace_back(aName); }
    std::size_t Count() const { return fItems.size(); }
    TKRVField& operator[](std::size_t i) { return fItems.at(i); }
    const TKRVField& operator[](std::size_t i) const { return fItems.at(i); }
    TKRVField* FindField(std::string_view aName);

private:
    std::vector<TKRVField> fItems;
};

// ---------------------------------------------------------------------------
// Parameter markers

// Replaces the ":name" markers of SQL with "?"; with DoCreate the list is cleared first and
// one parameter per marker, named after it, is appended in text order. Markers are never
// taken from inside quoted text ('..', "..", `..`, with '' and, for MySQL, backslash escapes),
// comments or PostgreSQL dollar-quoted bodies; "::" stays as it is; ":=" and a colon followed
// by no name are not markers. A marker must not be the first character of the text and must
// not follow a letter, digit or "_" (except after a text of digits and blanks: "1:p").
// ":"quoted name"" gives the name without its quotes.
std::string ParamsParseSQL(TKRVParams* Params, const std::string& SQL, bool DoCreate,
                           TDatabaseType aDatabaseType = dbAbstract);
// The second variant: "?" outside quoted text, comments and dollar-quoted bodies adds a
// parameter with an empty name; ":" followed by # $ 0-9 @ A-Z _ a-z starts a marker whose name
// is the colon and those characters; the marker becomes "?". "::" is kept.
std::string Params_ParseSQL(TKRVParams* Params, const std::string& SQL, bool DoCreate,
                            TDatabaseType aDatabaseType = dbAbstract);
// True when the trimmed, upper-cased text begins with "SELECT".
bool IsSelectSQL(std::string_view SQL);

// ---------------------------------------------------------------------------
// Components

// The statement text of a list of lines: the lines joined with "\r\n".
std::string SQLLinesText(const std::vector<std::string>& aLines);

// A data set with SQL text, parameters and fields. The base is a facade whose operations do
// nothing; TKRVDataSetQuery holds the working parts a kind's query needs.
class TKRVQuery : public TComponent {
public:
    explicit TKRVQuery(TComponent* AOwner = nullptr);

    TKRVCustomConnection* GetConnection() const { return fConnection; }
    void SetConnection(TKRVCustomConnection* aConnection);
    TKRVDatabase* GetDatabase() const { return fDatabase; }

    virtual std::vector<std::string>* GetSQL() { return nullptr; }
    virtual bool GetEof() { return true; }
    virtual void SetParamCheck(bool) {}
    virtual bool GetParamCheck() { return true; }
    virtual TKRVParams* GetParams() { return nullptr; }
    virtual bool GetQueryActive() { return false; }
    virtual TKRVFields* GetFields() { return nullptr; }
    virtual void SetDatabase(TKRVDatabase* aDatabase);
    virtual void First() {}
    virtual void Last() {}
    virtual void Next() {}
    virtual TKRVField* FieldByName(const std::string&) { return nullptr; }
    virtual void Open() {}
    virtual void Close() {}
    virtual void ExecSQL() {}
    virtual TKRVParam* ParamByName(const std::string&) { return nullptr; }
    virtual void Prepare() {}

    // The whole statement text (replaces the lines by one).
    void SetSQLText(const std::string& aText);
    std::string GetSQLText();

protected:
    void Notification(TComponent* aComponent, TOperation aOperation) override;

private:
    TKRVCustomConnection* fConnection = nullptr;
    TKRVDatabase* fDatabase = nullptr;
};

// The working query of a connection kind: the SQL lines, the parameters (made from the
// markers of the text when ParamCheck is on) and the current row of a forward-only result
// read row by row. A kind implements DoExecute (run the statement, with the parameters bound;
// true when it yields rows), DoFetch (read the next row into the fields; false at the end)
// and DoClose (release the result).
class TKRVDataSetQuery : public TKRVQuery {
public:
    using TKRVQuery::TKRVQuery;

    std::vector<std::string>* GetSQL() override { return &fSQL; }
    bool GetEof() override { return fEof; }
    // A change of the check reads the markers of the text again (or drops them).
    void SetParamCheck(bool aValue) override {
        if (aValue != fParamCheck) fParsed = false;
        fParamCheck = aValue;
    }
    bool GetParamCheck() override { return fParamCheck; }
    TKRVParams* GetParams() override;
    bool GetQueryActive() override { return fActive; }
    TKRVFields* GetFields() override { return &fFields; }
    // First runs the statement again when rows have been read past the first.
    void First() override;
    void Last() override;
    void Next() override;
    // Throws EKrvError when there is no such field or parameter.
    TKRVField* FieldByName(const std::string& aName) override;
    TKRVParam* ParamByName(const std::string& aName) override;
    void Open() override;
    void Close() override;
    void ExecSQL() override;
    void Prepare() override;

    // The text sent to the server: the SQL with its markers replaced, when ParamCheck is on.
    const std::string& PreparedText();

protected:
    virtual bool DoExecute(const std::string& aText, const TKRVParams& aParams) = 0;
    virtual bool DoFetch(TKRVFields& aFields) = 0;
    virtual void DoClose() = 0;
    // The marker parser of the kind.
    virtual std::string ParseMarkers(TKRVParams* aParams, const std::string& aSQL);

private:
    void SyncParams();

    std::vector<std::string> fSQL;
    std::string fParsedSQL;
    std::string fPreparedText;
    bool fParsed = false;
    bool fParamCheck = true;
    TKRVParams fParams;
    TKRVFields fFields;
    bool fActive = false;
    bool fEof = true;
    std::size_t fRowNo = 0;
};

// The physical connection of one connection kind.
class TKRVDatabase : public TComponent {
public:
    explicit TKRVDatabase(TComponent* AOwner = nullptr) : TComponent(AOwner) {}

    TKRVCustomConnection* GetConnection() const { return fConnection; }
    void SetConnection(TKRVCustomConnection* aConnection) { fConnection = aConnection; }

    virtual bool GetConnected() { return false; }
    virtual void SetConnected(bool) {}
    virtual void StartTransaction() {}
    virtual void Commit() {}
    virtual void Rollback() {}
    virtual bool InTransaction() { return false; }
    virtual void ReConnect(const std::string&) {}

private:
    TKRVCustomConnection* fConnection = nullptr;
};

class TKRVCustomConnection : public TComponent {
public:
    explicit TKRVCustomConnection(TComponent* AOwner = nullptr);

    TDatabaseType GetDatabaseType() const { return fDatabaseType; }
    TconnectionType GetConnectionType() const { return fConnectionType; }

    virtual void SetDatabaseType(TDatabaseType aValue) { fDatabaseType = aValue; }
    virtual void SetConnectionType(TconnectionType aValue) { fConnectionType = aValue; }
    virtual TDatabaseSetType GetSupportedDatabases() { return {}; }
    virtual TConnectionSetType GetSupportedConnections() { return {}; }
    virtual bool GetConnected() { return false; }
    virtual void SetConnected(bool) {}
    virtual void DoBeforeConnect();
    virtual void DoBeforeDisconnect();
    virtual void DoAfterConnect();
    virtual void DoAfterDisconnect();
    virtual TKRVQuery* CreateQuery(TComponent*) { return nullptr; }
    virtual void StartTransaction() {}
    virtual void Commit() {}
    virtual void Rollback() {}
    virtual bool InTransaction() { return false; }
    virtual bool CreateDatabase();
    // Drops the database named in the connection options.
    virtual bool DropDatabase();
    virtual void ReConnect(const std::string&) {}
    virtual void DoErrorMessage(const std::string& aText);
    virtual std::string TestConnectInfo(bool aShortVersion);

    std::string GetDBConnectionString() const;
    void DoLogNextLine(const std::string& aText);

    // Connects (Connected true) and tells whether that worked; the reason of a failure is in
    // GetLastError and went to DoErrorMessage.
    bool Connect();
    // The message of the last failed connect, disconnect or database creation; empty after
    // a success.
    const std::string& GetLastError() const { return fLastError; }
    void SetLastError(const std::string& aText) { fLastError = aText; }

    TConnectionOptions& GetConnectionOptions() { return fConnectionOptions; }
    void SetConnectionOptions(const TConnectionOptions& aValue) { fConnectionOptions.Assign(aValue); }
    TIBEngineOptions& GetIBServerOptions() { return fIBServerOptions; }
    void SetIBServerOptions(const TIBServerOptions& aValue) { fIBServerOptions.Assign(aValue); }
    TMSSQLServerOptions& GetMSSQLServerOptions() { return fMSSQLServerOptions; }
    void SetMSSQLServerOptions(const TMSSQLServerOptions& aValue) { fMSSQLServerOptions.Assign(aValue); }
    TMySQLServerOptions& GetMySQLServerOptions() { return fMySQLServerOptions; }
    void SetMySQLServerOptions(const TMySQLServerOptions& aValue) { fMySQLServerOptions.Assign(aValue); }
    TASAServerOptions& GetASAServerOptions() { return fASAServerOptions; }
    void SetASAServerOptions(const TASAServerOptions& aValue) { fASAServerOptions.Assign(aValue); }
    TASEServerOptions& GetASEServerOptions() { return fASEServerOptions; }
    void SetASEServerOptions(const TASEServerOptions& aValue) { fASEServerOptions.Assign(aValue); }
    TOracleServerOptions& GetOracleServerOptions() { return fOracleServerOptions; }
    void SetOracleServerOptions(const TOracleServerOptions& aValue) { fOracleServerOptions.Assign(aValue); }
    TPGSQLServerOptions& GetPGSQLServerOptions() { return fPGSQLServerOptions; }
    void SetPGSQLServerOptions(const TPGSQLServerOptions& aValue) { fPGSQLServerOptions.Assign(aValue); }
    TDB2ServerOptions& GetDB2ServerOptions() { return fDB2ServerOptions; }
    void SetDB2ServerOptions(const TDB2ServerOptions& aValue) { fDB2ServerOptions.Assign(aValue); }

    // Connection type and database type through the virtual setters, then the options.
    void Assign(TKRVCustomConnection& Source);
    void AssignTo(TKRVCustomConnection& Dest) { Dest.Assign(*this); }

    TNotifyEvent OnBeforeConnect, OnAfterConnect, OnBeforeDisconnect, OnAfterDisconnect;
    TErrorMessageEvent OnErrorMessage;
    TLogNextLineEvent OnLogNextLine;

protected:
    TDatabaseType fDatabaseType = dbAbstract;
    TconnectionType fConnectionType = cnAbstract;
    TDatabaseSetType fSupportedDatabases;
    TConnectionSetType fSupportedConnections;

private:
    TConnectionOptions fConnectionOptions;
    TIBEngineOptions fIBServerOptions;
    TMSSQLServerOptions fMSSQLServerOptions;
    TMySQLServerOptions fMySQLServerOptions;
    TASAServerOptions fASAServerOptions;
    TASEServerOptions fASEServerOptions;
    TOracleServerOptions fOracleServerOptions;
    TPGSQLServerOptions fPGSQLServerOptions;
    TDB2ServerOptions fDB2ServerOptions;
    std::string fLastError;
};

// A connection kind: one per data-access library, kept in the registry and shared by every
// component that selects its connection type. It holds no connection state: the database
// handles it creates do, each for the component that owns it.
class TKRVAbstractConnection : public TComponent {
public:
    explicit TKRVAbstractConnection(TComponent* AOwner = nullptr) : TComponent(AOwner) {}

    TDatabaseType GetDatabaseType() const { return fDatabaseType; }
    void SetDatabaseType(TDatabaseType aValue) { fDatabaseType = aValue; }
    TconnectionType GetConnectionType() const { return fConnectionType; }
    void SetConnectionType(TconnectionType aValue) { fConnectionType = aValue; }
    TDatabaseSetType GetSupportedDatabases() const { return fSupportedDatabases; }
    TKRVConnection* GetOwnerConnection() const { return fOwnerConnection; }
    void SetOwnerConnection(TKRVConnection* aValue) { fOwnerConnection = aValue; }

    virtual bool GetConnected() { return false; }
    virtual void SetConnected(bool) {}
    virtual TKRVDatabase* CreateDatabase(TComponent*) { return nullptr; }
    // Creates the database of the owner connection; kinds implement the form below.
    virtual bool Create_Database();
    // Creates the database named in aConnection's options; reports to aConnection.
    virtual bool Create_Database(TKRVCustomConnection* aConnection);
    // Drops the database named in aConnection's options; reports to aConnection.
    virtual bool Drop_Database(TKRVCustomConnection* aConnection);
    virtual void DoErrorMessage(const std::string& aText);
    virtual TKRVQuery* CreateQuery(TComponent*) { return nullptr; }
    virtual void ReConnect(const std::string&) {}
    virtual void StartTransaction() {}
    virtual void Commit() {}
    virtual void Rollback() {}
    virtual bool InTransaction() { return false; }

protected:
    void Notification(TComponent* aComponent, TOperation aOperation) override;

    TDatabaseType fDatabaseType = dbAbstract;
    TconnectionType fConnectionType = cnAbstract;
    TDatabaseSetType fSupportedDatabases;

private:
    TKRVConnection* fOwnerConnection = nullptr;
};

class TKRVConnection : public TKRVCustomConnection {
public:
    explicit TKRVConnection(TComponent* AOwner = nullptr);
    ~TKRVConnection() override;

    void SetDatabaseType(TDatabaseType aValue) override;
    // Selects the registered kind of that type; throws EKrvError ("Not supported connection
    // select.") when none is registered, leaving the selection unchanged.
    void SetConnectionType(TconnectionType aValue) override;
    TDatabaseSetType GetSupportedDatabases() override;
    TConnectionSetType GetSupportedConnections() override;
    bool GetConnected() override;
    // A failed connect leaves Connected false, reports the reason through DoErrorMessage and
    // keeps it in GetLastError. Connecting with no kind selected is such a failure.
    void SetConnected(bool aValue) override;
    TKRVQuery* CreateQuery(TComponent* AOwner) override;
    void StartTransaction() override;
    void Commit() override;
    void Rollback() override;
    bool InTransaction() override;
    bool CreateDatabase() override;
    bool DropDatabase() override;
    void ReConnect(const std::string& aCharSet) override;

    TKRVAbstractConnection* GetConnection() const { return fConnection; }
    TKRVDatabase* GetDatabase() const { return fDatabase; }

    static TKRVAbstractConnection* FindConnection(TconnectionType aConnectionType);
    static std::string UnitName(TconnectionType aConnectionType);

protected:
    void Notification(TComponent* aComponent, TOperation aOperation) override;

private:
    TKRVAbstractConnection* fConnection = nullptr;
    TKRVDatabase* fDatabase = nullptr;
};

// ---------------------------------------------------------------------------
// Registry of connection kinds (sorted by name, case-insensitive; owns the kinds)

// Adds the kind under Name; false (and nothing registered, the object still the caller's)
// when the name is taken.
bool RegisterConnection(const std::string& Name, std::unique_ptr<TKRVAbstractConnection>&& Connection);
bool UnRegisterConnection(const std::string& Name, bool FreeObject);
bool UnRegisterConnection(TconnectionType ConnectionType, bool FreeObject);
// The registered names and kinds, in registry order.
std::vector<std::pair<std::string, TKRVAbstractConnection*>> RegisteredConnections();
TconnectionType DefConnectionByDatabase(TDatabaseType DatabaseType);

// The default kind for InterBase/Firebird databases.
extern TconnectionType IBConnectionType;

}  // namespace dbtwin
