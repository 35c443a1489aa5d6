// The plug-in's display state is rich text whose anchors name a Configure
// verb by their id and its parameters by their href. A QLabel reports only the
// href of a clicked link, so each anchor with an id is rewritten to carry both.
#pragma once

#include <QString>
#include <optional>

namespace viewer {

struct VerbLink {
    QString verb;
    QString parameters;
};

// The display state with every <a id="ID" href="HREF"> turned into
// <a href="orvana-verb:ID?HREF">, both parts percent-encoded. Anchors without
// an id stay as they are.
QString WithVerbLinks(const QString& displayState);

// The verb and parameters of a rewritten link; nothing for any other href.
std::optional<VerbLink> ParseVerbLink(const QString& href);

} // namespace viewer
