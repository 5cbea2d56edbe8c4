#pragma once
// What the web server asks of the project it serves: the settings link (the modified mark and
// paths relative to the project file), which of its events go to the log, how scripts are
// run, and the message list.
#include "exec/run_settings.h"
#include "model/project_link.h"

#include <string>

namespace korvane {

// The project's web logging switches, each already combined with its master switch.
struct TWebLogging {
    bool StartStop = false; // "**WEB SERVER: started" / "stopped"
    bool Get = false;       // every GET and HEAD
    bool Post = false;      // every POST
    bool Errors = false;    // "**WEB ERROR: ..."
};

class TWebServerOwner : public TProjectLink {
public:
    virtual TWebLogging WebLogging() const = 0;
    virtual TRunSettings RunSettings() const = 0;
    // A line for the message list, about no page.
    virtual void WebServerMessage(const std::string& text) = 0;
};

} // namespace korvane
