// Forced into the rooms that must not reach the window library (Session, Program,
// Accessibility): every SDL header declares SDL_malloc, so including one here fails to
// compile instead of quietly pulling SDL into a headless start. SDL's headers sit in
// the system's include folder, where no missing include path would stop them.
#pragma once

#pragma GCC poison SDL_malloc
