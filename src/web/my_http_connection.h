#pragma once
// A connection of the project's web server: the HTTP connection plus the request body it
// collects for a script, and the script the request is for.
#include "net/http_server.h"
#include "web/cgi_target.h"

#include <cstdint>
#include <string>

namespace korvane {

class TMyHttpConnection : public THttpConnection {
    Q_OBJECT
public:
    std::string Body;         // the posted bytes received so far
    int64_t BodyExpected = 0; // the request's content length
    TCgiTarget Target;        // the script a POST is for
};

} // namespace korvane
