#pragma once

class QString;

// Whether two definite JSON paths name the same node or one lies inside the
// other ("$.MEM" and "$.MEM.MTAB[2].ID"), split at a member or index boundary:
// "$.MEM.MTAB" and "$.MEM.MTABX" are not related.
bool pathsRelated(const QString& path, const QString& other);

// Whether path names outer or a node inside it, where a "[*]" of outer stands
// for any one index (or "[*]") of path: "$.L[*].A" covers "$.L[2].A.B" and
// "$.L[*].A", not "$.L[*]" or "$.L[2].AB". Other steps compare as text.
bool pathCovers(const QString& outer, const QString& path);

// Whether a and b may name the same node or one inside the other, where a
// "[*]" of either stands for any one index of the other: "$.L[*].A" and
// "$.L[2]" overlap, "$.L[1].A" and "$.L[2]" do not.
bool pathsOverlap(const QString& a, const QString& b);
