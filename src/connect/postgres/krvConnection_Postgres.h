// The PostgreSQL driver of the cnZEOS connection kind, over libpq.
#pragma once

#include "connect/zeos/krvZeosDriver.h"

namespace dbtwin {

const TZeosDriver& PostgresDriver();

}  // namespace dbtwin
