// The replay connection kind: it answers every query with rows recorded in a plain-text
// fixture file, for testing the readers of servers that cannot run here. It proves how the
// rows are handled, not that the query is right for a real server. Always built; entered into
// the registry by RegisterReplayConnection() under ReplayConnectionType.
//
// Fixture format (UTF-8 text, one item a line):
//
//   # a comment; comment lines and blank lines are ignored outside query text
//   -- database-type: MSSQL              optional, before the first query: the database type
//                                        the connection must have (MSSQL, Oracle, DB2, ...)
//   -- server-version: "text"            optional, before the first query: the server version
//                                        an InterBase connection reports (TestConnectInfo)
//   -- query                             starts an entry; the lines up to the next directive
//   SELECT NAME, ID FROM T               are the statement text as the kind receives it, with
//   WHERE ID > ? AND NAME <> ?           "?" for each marker; a text line that begins with "\"
//                                        loses that backslash (to write "-- x" or "\x" lines)
//   -- params: integer 5, string "x"     the bound values, in marker order ("null" for NULL);
//                                        no params line means no parameters
//   -- columns: NAME string, "Id" integer    a result: column names (bare or a JSON string)
//   ["abc", 1]                           and types, then one JSON array a row
//   [null, 2]
//   -- query
//   UPDATE T SET A = 1
//   -- executed: 3                       no result; the affected-row count ("-- executed"
//                                        alone when it is not known)
//
// Types: string, memo, blob, integer, float, bcd, date, time, datetime, boolean, unknown.
// Values in rows and after a parameter's type are JSON: null; a string (escapes \" \\ \/ \b
// \f \n \r \t \uXXXX, surrogate pairs for characters beyond U+FFFF, or the UTF-8 itself);
// numbers for integer, float and bcd (a bcd keeps its text exactly; float also takes "NaN",
// "Infinity", "-Infinity"); true/false for boolean; a string "YYYY-MM-DD", "HH:MM:SS[.f]" or
// "YYYY-MM-DD HH:MM:SS[.f]" for date, time and datetime; a string of hex digits, two a byte,
// for blob.
//
// An entry is found by its statement text (line breaks as "\n" or "\r\n" alike; blanks at the
// start and end of the whole text ignored; otherwise exact) and its parameter values (type
// and value; a NULL matches a NULL of any type). A statement with no entry is an error naming
// the text and the values ("no recorded answer for: ..."), never an empty result. A malformed
// fixture fails the connect with "FILE:LINE: message".
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "connect/krvDBEngine.h"

namespace dbtwin {

// The kind's registry name.
inline constexpr const char* ReplayConnectionName = "Replay";
// The connection type the replay kind is registered under: cnDBX, a data-access library that
// has no counterpart on this platform, so no real kind will ever claim it.
inline constexpr TconnectionType ReplayConnectionType = cnDBX;

// Enters the replay kind into the connection registry; false when it is there already.
bool RegisterReplayConnection();

// The fixture's name of a field type ("string", "integer", ...) and back; false when unknown.
std::string ReplayTypeName(TKRVFieldType aType);
bool ReplayTypeFromName(const std::string& aName, TKRVFieldType& aType);
// A value as written after "-- params:": "null" or "TYPE JSON-VALUE".
std::string ReplayParamText(const TKRVValue& aValue);
// A value as written in a row: the JSON value alone (the column gives the type).
std::string ReplayCellText(const TKRVValue& aValue);

// One recorded answer.
struct TReplayEntry {
    std::string SQL;                    // as written in the fixture
    std::vector<TKRVValue> Params;
    bool HasResult = false;             // "-- columns" (else "-- executed")
    std::vector<std::string> ColumnNames;
    std::vector<TKRVFieldType> ColumnTypes;
    std::vector<std::vector<TKRVValue>> Rows;
    std::int64_t RowsAffected = -1;     // -1: not known
    int Line = 0;                       // the line of its "-- query"
};

// A loaded fixture.
class TReplayFixture {
public:
    // Reads a fixture; throws EKrvError "NAME:LINE: message" when it is malformed.
    static std::shared_ptr<const TReplayFixture> Parse(const std::string& aText, const std::string& aName);
    // Reads the file; a missing or unreadable file is an EKrvError naming it.
    static std::shared_ptr<const TReplayFixture> Load(const std::string& aPath);

    const std::string& Name() const { return fName; }
    const std::string& DatabaseTypeName() const { return fDatabaseType; }
    int DatabaseTypeLine() const { return fDatabaseTypeLine; }
    const std::string& ServerVersion() const { return fServerVersion; }
    const std::vector<TReplayEntry>& Entries() const { return fEntries; }

    // The entry for that statement text and those bound values; throws EKrvError
    // "no recorded answer for: ..." when there is none.
    const TReplayEntry& Find(const std::string& aSQL, const TKRVParams& aParams) const;

private:
    std::string fName;
    std::string fDatabaseType;
    int fDatabaseTypeLine = 0;
    std::string fServerVersion;
    std::vector<TReplayEntry> fEntries;
    std::multimap<std::string, std::size_t> fIndex;  // normalised text -> entry
};

// The replay kind. Each connection gets a handle of its own; connecting loads the fixture
// named by the connection options' DatabaseName.
class TKRVReplayConnection : public TKRVAbstractConnection {
public:
    explicit TKRVReplayConnection(TComponent* AOwner = nullptr);

    TKRVDatabase* CreateDatabase(TComponent* AOwner) override;
    TKRVQuery* CreateQuery(TComponent* AOwner) override;
};

// The replay kind's query; GetRowsAffected tells the recorded count of the last executed
// statement (-1 when none was recorded or the statement had a result).
class TKRVReplayQuery : public TKRVDataSetQuery {
public:
    using TKRVDataSetQuery::TKRVDataSetQuery;
    ~TKRVReplayQuery() override { Close(); }
    std::int64_t GetRowsAffected() const { return fRowsAffected; }

protected:
    bool DoExecute(const std::string& aText, const TKRVParams& aParams) override;
    bool DoFetch(TKRVFields& aFields) override;
    void DoClose() override;

private:
    std::shared_ptr<const TReplayFixture> fFixture;  // keeps fEntry alive across a reconnect
    const TReplayEntry* fEntry = nullptr;
    std::size_t fNext = 0;
    std::int64_t fRowsAffected = -1;
};

// Writes a fixture from a real connection: queries made by CreateQuery run on the source
// connection and every statement, its bound values and its answer (the rows after Open, the
// "-- executed" mark after ExecSQL) are kept; Save writes them, each statement once.
class TKRVReplayRecorder {
public:
    explicit TKRVReplayRecorder(TKRVCustomConnection& aSource);
    ~TKRVReplayRecorder();

    // A query that runs on the source connection and records what it did.
    std::unique_ptr<TKRVQuery> CreateQuery();
    // The fixture text of everything recorded so far.
    std::string Text() const;
    // Writes Text() to the file; throws EKrvError when it cannot.
    void Save(const std::string& aPath) const;

    // Called by the recording queries.
    void Add(TReplayEntry aEntry);

private:
    TKRVCustomConnection& fSource;
    std::vector<TReplayEntry> fEntries;
};

}  // namespace dbtwin
