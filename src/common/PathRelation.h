#pragma once

class QString;

// Whether two definite JSON paths name the same node or one lies inside the
// other ("$.MEM" and "$.MEM.MTAB[2].ID"), split at a member or index boundary:
// "$.MEM.MTAB" and "$.MEM.MTABX" are not related.
bool pathsRelated(const QString& path, const QString& other);

// Whether the definite path names node itself or a node inside it
// ("$.A[1].CFG" lies below "$.A[1]"; "$.A[10]" and "$.A" do not lie below "$.A[1]").
bool pathAtOrBelow(const QString& path, const QString& node);
