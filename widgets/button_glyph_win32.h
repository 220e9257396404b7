#pragma once

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <functional>
#include <memory>
#include <string>

class TGlyphList;

// The state of a button that its picture is drawn for.
enum TGlyphState { gsNormal = 0, gsDisabled = 1, gsPressed = 2 };

// Where the picture stands relative to the caption.
enum TButtonLayout { blGlyphLeft = 0, blGlyphRight = 1, blGlyphTop = 2, blGlyphBottom = 3 };

// Places and draws a button's picture and caption. The picture is up to four cells side by side
// (normal, disabled, pressed, and a fourth never shown); the image of each state is built on first
// use and kept in an image list that every button with the same cell size shares.
class TButtonGlyph {
 public:
  TButtonGlyph();
  ~TButtonGlyph();
  TButtonGlyph(const TButtonGlyph&) = delete;
  TButtonGlyph& operator=(const TButtonGlyph&) = delete;

  // Called whenever the picture or the cell count changes; the button repaints then.
  std::function<void()> OnChange;

  // Takes a copy of `bitmap` (null clears the picture) and derives the cell count from its shape.
  // Pixels of `transparentColor` leave the face visible; CLR_DEFAULT takes the colour of the
  // bottom-left pixel (white for a two-colour picture).
  void AssignPicture(HBITMAP bitmap, COLORREF transparentColor = CLR_DEFAULT);
  HBITMAP Picture() const;  // owned by the glyph object; null when empty
  int NumGlyphs() const { return numGlyphs_; }
  void ChangeNumGlyphs(int count);

  // Lays picture and caption out in `client` and draws them; returns the caption's rectangle.
  RECT Paint(HDC dc, const RECT& client, POINT offset, const std::string& caption, TButtonLayout layout, int margin,
             int spacing, TGlyphState state, UINT biDiFlags);

 private:
  int numGlyphs_ = 1;
  // The rest is the engine's own.
  friend class TButtonGlyphAccess;  // for tests
  struct TImpl;
  std::unique_ptr<TImpl> impl_;

  void HandlePictureChange();
  void ReleaseImages();
  int StateImage(TGlyphState state);  // slot in the shared list, built on first use; -1 when empty
  void PaintGlyph(HDC dc, POINT position, TGlyphState state);
  void PaintCaption(HDC dc, const std::string& caption, const RECT& rect, TGlyphState state, UINT biDiFlags);
};
