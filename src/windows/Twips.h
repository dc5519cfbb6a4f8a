#pragma once

// Converts the layout's twips (1440 to the inch) to logical pixels of the primary screen.
namespace Twips {

int toPixels(int twips);

} // namespace Twips
