#pragma once
// Painters of the person-card pictures. Each draws on a transparent canvas of
// the size its row in BitmapResourceTables.h gives.

class QPainter;

namespace platform::resources {

// Pictures of the expanded card.
void PaintVoice(QPainter& p);         // 16 x 16 badge: a voice greeting
void PaintVip(QPainter& p);           // 16 x 16 badge: a VIP member
void PaintReal(QPainter& p);          // 16 x 16 badge: a real member
void PaintBasketRed(QPainter& p);     // 16 x 16: delete the contact
void PaintTopRight(QPainter& p);      // 8 x 23: top right corner of the frame
void PaintRightBottom(QPainter& p);   // 8 x 8: bottom right corner
void PaintBottomLeft(QPainter& p);    // 8 x 8: bottom left corner
void PaintGoto(QPainter& p);          // 50 x 16: the link to the profile
void PaintNoPhoto(QPainter& p);       // 46 x 62: stands for a missing photo
void PaintPhotoFailed(QPainter& p);   // 46 x 62: stands for a photo that could not be loaded
void PaintLetter(QPainter& p);        // 19 x 14: a new message

// Pictures shared by every card of a list.
void PaintLetterShort(QPainter& p);         // 12 x 9: a new message, header line
void PaintAbsent(QPainter& p);              // 6 x 13: not on the site, white line
void PaintAbsentSelected(QPainter& p);      // 6 x 13: not on the site, green line
void PaintConnected(QPainter& p);           // 6 x 13: on the site, white line
void PaintConnectedSelected(QPainter& p);   // 6 x 13: on the site, green line
void PaintTopLeftAbsent(QPainter& p);       // 18 x 23: top left corner with the mark
void PaintTopLeftConnected(QPainter& p);    // 18 x 23: top left corner with the mark

} // namespace platform::resources
