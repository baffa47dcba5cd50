// The drawing, text, font and display members bound to their rows of the member table.
#include "control/binding.h"
#include "vexiro/imaging.h"

namespace vx::control {

// Vector drawing
VX_BIND(DrawArc, &vexiro::cImaging::DrawArc);
VX_BIND(DrawBezier, &vexiro::cImaging::DrawBezier);
VX_BIND(DrawCircle, &vexiro::cImaging::DrawCircle);
VX_BIND(DrawFillClosedCurves, &vexiro::cImaging::DrawFillClosedCurves);
VX_BIND(DrawClosedCurves, &vexiro::cImaging::DrawClosedCurves);
VX_BIND(DrawCurves, &vexiro::cImaging::DrawCurves);
VX_BIND(DrawPolygon, &vexiro::cImaging::DrawPolygon);
VX_BIND(DrawFillPolygon, &vexiro::cImaging::DrawFillPolygon);
VX_BIND(DrawEllipse, &vexiro::cImaging::DrawEllipse);
VX_BIND(DrawFillCircle, &vexiro::cImaging::DrawFillCircle);
VX_BIND(DrawFillEllipse, &vexiro::cImaging::DrawFillEllipse);
VX_BIND(DrawFillRectangle, &vexiro::cImaging::DrawFillRectangle);
VX_BIND(DrawGradientCurves, &vexiro::cImaging::DrawGradientCurves);
VX_BIND(DrawGradientLine, &vexiro::cImaging::DrawGradientLine);
VX_BIND(DrawGrid, &vexiro::cImaging::DrawGrid);
VX_BIND(DrawLine, &vexiro::cImaging::DrawLine);
VX_BIND(DrawLineArrow, &vexiro::cImaging::DrawLineArrow);
VX_BIND(DrawRoundedRectangle, &vexiro::cImaging::DrawRoundedRectangle);
VX_BIND(DrawFillRoundedRectangle, &vexiro::cImaging::DrawFillRoundedRectangle);
VX_BIND(DrawRectangle, &vexiro::cImaging::DrawRectangle);
VX_BIND(DrawPie, &vexiro::cImaging::DrawPie);
VX_BIND(DrawFillPie, &vexiro::cImaging::DrawFillPie);
VX_BIND(DrawRotatedFillRectangle, &vexiro::cImaging::DrawRotatedFillRectangle);
VX_BIND(DrawRotatedRectangle, &vexiro::cImaging::DrawRotatedRectangle);
VX_BIND(DrawSpotLight, &vexiro::cImaging::DrawSpotLight);
VX_BIND(DrawTexturedLine, &vexiro::cImaging::DrawTexturedLine);

// Text and fonts
VX_BIND(DrawText, &vexiro::cImaging::DrawText);
VX_BIND(DrawTextBackColor, &vexiro::cImaging::DrawTextBackColor);
VX_BIND(DrawRotatedText, &vexiro::cImaging::DrawRotatedText);
VX_BIND(DrawRotatedTextBackColor, &vexiro::cImaging::DrawRotatedTextBackColor);
VX_BIND(DrawTextBox, &vexiro::cImaging::DrawTextBox);
VX_BIND(DrawTextGradient, &vexiro::cImaging::DrawTextGradient);
VX_BIND(DrawTextTexture, &vexiro::cImaging::DrawTextTexture);
VX_BIND(DrawTextTextureFromVexiroImage, &vexiro::cImaging::DrawTextTextureFromVexiroImage);
VX_BIND(GetTextWidth, &vexiro::cImaging::GetTextWidth);
VX_BIND(GetTextHeight, &vexiro::cImaging::GetTextHeight);
VX_BIND(FontSetUnit, &vexiro::cImaging::FontSetUnit);
VX_BIND(FontGetUnit, &vexiro::cImaging::FontGetUnit);
VX_BIND(FontGetCount, &vexiro::cImaging::FontGetCount);
VX_BIND(FontGetName, &vexiro::cImaging::FontGetName);
VX_BIND(FontIsStyleAvailable, &vexiro::cImaging::FontIsStyleAvailable);

// Display
VX_BIND(DisplayImageOnHDC, &vexiro::cImaging::DisplayImageOnHDC);
VX_BIND(DisplayImageOnHwnd, &vexiro::cImaging::DisplayImageOnHwnd);
VX_BIND(DisplayImageRectOnHDC, &vexiro::cImaging::DisplayImageRectOnHDC);
VX_BIND(DisplayImageRectOnHwnd, &vexiro::cImaging::DisplayImageRectOnHwnd);

}  // namespace vx::control
