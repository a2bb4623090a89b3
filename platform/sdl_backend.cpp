// The SDL2 backend: a resizable window that shows the visible page letterboxed and scaled by
// nearest neighbour, a streaming texture updated on every Flip, no vsync, and keyboard events
// turned into the key texts of the keyboard buffer. The title shows the frame rate.
#include <SDL.h>

#include <chrono>
#include <string>
#include <thread>

#include "platform/backend.h"
#include "platform/platform.h"

namespace platform::backend {

namespace {

constexpr char kTitle[] = "Maze viewer";
constexpr double kTitleInterval = 0.5;  // seconds between frame-rate updates of the title

struct Display {
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;
  int width = 0;  // size of the texture and of the logical picture
  int height = 0;
  long presents = 0;         // Present calls since the title was last updated
  double title_since = 0.0;  // Clock() when the title was last updated
};

Display display;  // the one window of the program

void DestroyTexture() {
  if (display.texture != nullptr) SDL_DestroyTexture(display.texture);
  display.texture = nullptr;
}

// Makes the texture and the logical size match a picture of width x height.
bool SizePicture(int width, int height) {
  DestroyTexture();
  display.texture = SDL_CreateTexture(display.renderer, SDL_PIXELFORMAT_ARGB8888,
                                      SDL_TEXTUREACCESS_STREAMING, width, height);
  if (display.texture == nullptr) return false;
  SDL_SetTextureBlendMode(display.texture, SDL_BLENDMODE_NONE);
  if (SDL_RenderSetLogicalSize(display.renderer, width, height) != 0) return false;
  display.width = width;
  display.height = height;
  return true;
}

bool CreateWindow(int width, int height) {
  if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) return false;
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
  SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");
  display.window = SDL_CreateWindow(kTitle, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width,
                                    height, SDL_WINDOW_RESIZABLE);
  if (display.window == nullptr) return false;
  display.renderer = SDL_CreateRenderer(display.window, -1, 0);
  if (display.renderer == nullptr) return false;
  SDL_StartTextInput();
  display.title_since = Clock();
  return true;
}

// The extended-key letter of a special key, or 0.
char ExtendedLetter(SDL_Keycode key) {
  switch (key) {
    case SDLK_UP:
      return 'H';
    case SDLK_DOWN:
      return 'P';
    case SDLK_LEFT:
      return 'K';
    case SDLK_RIGHT:
      return 'M';
    case SDLK_HOME:
      return 'G';
    case SDLK_END:
      return 'O';
    case SDLK_PAGEUP:
      return 'I';
    case SDLK_PAGEDOWN:
      return 'Q';
    case SDLK_INSERT:
      return 'R';
    case SDLK_DELETE:
      return 'S';
    default:
      return 0;
  }
}

// Key events for the keys that produce no text: Escape, Enter, Backspace, Tab and the
// extended keys. Key repeat arrives as further key-down events and is kept.
void KeyDown(const SDL_KeyboardEvent& event) {
  const SDL_Keycode key = event.keysym.sym;
  if (key == SDLK_ESCAPE)
    PushKey(kEscape);
  else if (key == SDLK_RETURN || key == SDLK_KP_ENTER)
    PushKey(kEnter);
  else if (key == SDLK_BACKSPACE)
    PushKey(kBackspace);
  else if (key == SDLK_TAB)
    PushKey("\t");
  else if (const char letter = ExtendedLetter(key))
    PushKey(std::string{'\xff', letter});
}

// Typed text arrives in UTF-8; characters up to U+00FF become one byte each, others are dropped.
void TextInput(const char* text) {
  for (const unsigned char* s = reinterpret_cast<const unsigned char*>(text); *s != 0;) {
    if (*s < 0x80) {
      PushKey(std::string(1, static_cast<char>(*s++)));
    } else if ((*s & 0xE0) == 0xC0 && (s[1] & 0xC0) == 0x80) {
      const unsigned code = ((s[0] & 0x1Fu) << 6) | (s[1] & 0x3Fu);
      if (code < 0x100) PushKey(std::string(1, static_cast<char>(code)));
      s += 2;
    } else {
      ++s;
      while ((*s & 0xC0) == 0x80) ++s;
    }
  }
}

void UpdateTitle() {
  const double now = Clock();
  const double elapsed = now - display.title_since;
  if (elapsed < kTitleInterval) return;
  const long fps = static_cast<long>(display.presents / elapsed + 0.5);
  const std::string title = std::string(kTitle) + " - " + std::to_string(fps) + " fps";
  SDL_SetWindowTitle(display.window, title.c_str());
  display.presents = 0;
  display.title_since = now;
}

}  // namespace

bool OpenWindow(int width, int height) {
  if (display.window == nullptr) {
    if (!CreateWindow(width, height)) {
      CloseWindow();
      return false;
    }
  } else {
    SDL_SetWindowSize(display.window, width, height);
  }
  if (!SizePicture(width, height)) {
    CloseWindow();
    return false;
  }
  return true;
}

void CloseWindow() {
  DestroyTexture();
  if (display.renderer != nullptr) SDL_DestroyRenderer(display.renderer);
  if (display.window != nullptr) SDL_DestroyWindow(display.window);
  SDL_Quit();
  display = Display{};
}

void Present(const uint32_t* pixels, int width, int height) {
  if (display.texture == nullptr || width != display.width || height != display.height) return;
  SDL_UpdateTexture(display.texture, nullptr, pixels, width * 4);
  SDL_SetRenderDrawColor(display.renderer, 0, 0, 0, 255);
  SDL_RenderClear(display.renderer);
  SDL_RenderCopy(display.renderer, display.texture, nullptr, nullptr);
  SDL_RenderPresent(display.renderer);
  ++display.presents;
  UpdateTitle();
}

void PumpEvents() {
  if (display.window == nullptr) return;
  SDL_Event event;
  while (SDL_PollEvent(&event) != 0) {
    switch (event.type) {
      case SDL_QUIT:
        PushKey(kClose);
        break;
      case SDL_KEYDOWN:
        KeyDown(event.key);
        break;
      case SDL_TEXTINPUT:
        TextInput(event.text.text);
        break;
      default:
        break;
    }
  }
}

std::string IdleKey() {
  return std::string();
}

double Clock() {
  using clock = std::chrono::steady_clock;
  static const clock::time_point start = clock::now();
  return std::chrono::duration<double>(clock::now() - start).count();
}

void SleepMs(int milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace platform::backend
