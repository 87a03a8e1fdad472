#pragma once

// Registers the application resources (style sheets and pictures). They are
// compiled into the static library, where nothing else would pull them in;
// calling this once before the first ":/..." access makes sure they are there.
void ensureTevaroResources();
