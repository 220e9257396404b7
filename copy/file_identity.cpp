#include "copy/file_identity.h"

bool operator==(const TFileIdentity& a, const TFileIdentity& b) {
  return a.Volume == b.Volume && a.Index == b.Index && a.Size == b.Size && a.Time == b.Time && a.Birth == b.Birth &&
         a.Change == b.Change;
}
