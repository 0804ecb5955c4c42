// The connection kind of PostgreSQL and MySQL/MariaDB databases, registered as cnZEOS. It is
// stateless: each TKRVConnection that selects it gets a database handle that opens a session
// of the driver its own DatabaseType names when it connects.
#pragma once

#include "connect/krvDBEngine.h"

namespace dbtwin {

// The kind's registry name.
inline constexpr const char* ZeosConnectionName = "Zeos";

// Enters the kind into the connection registry; false when it is there already.
bool RegisterZeosConnection();

class TKRVZeosConnection : public TKRVAbstractConnection {
public:
    explicit TKRVZeosConnection(TComponent* AOwner = nullptr);

    TKRVDatabase* CreateDatabase(TComponent* AOwner) override;
    TKRVQuery* CreateQuery(TComponent* AOwner) override;
    // Creates the database named by the connection's options, on the server of its options.
    bool Create_Database(TKRVCustomConnection* aConnection) override;
    // Drops it; the connection's own session is closed first.
    bool Drop_Database(TKRVCustomConnection* aConnection) override;
};

}  // namespace dbtwin
