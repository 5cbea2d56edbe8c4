#pragma once
// The templates pages reach by alias: "new" for a new temporary page, the extension with its
// dot (".pl", ".php", ...) for a file of that type, and "char_ents" for the HTML conversion.
#include "storage/html_convert.h"

#include <string>

namespace korvane {

class TCodeTemplate;
class TKorSynEdit;

// Expands the "new" template into the editor of a new temporary page, when there is one.
void ExpandNewPageTemplate(TCodeTemplate& root, TKorSynEdit& editor);

// A page saved under another extension: when its text still begins with the template of the
// old extension and the new extension has a template, that beginning is swapped for the new
// template (expanded, with its questions). An empty page simply receives the new
// extension's template, without questions. Text the user wrote is never dropped.
void SwapExtensionTemplate(TCodeTemplate& root, TKorSynEdit& editor, const std::string& oldExt,
                           const std::string& newExt);

// The entities of the "char_ents" template's children: each child's description names the
// characters it stands for ("amp [&]"), its text is the replacement.
TCharEntities CharEntities(TCodeTemplate& root);

} // namespace korvane
