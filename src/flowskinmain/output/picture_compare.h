#pragma once
// The picture comparison of advection/picture_compare.h for pictures as they
// are written or grabbed (any format the toolkit reads; transparency is
// dropped).
#include <QImage>

#include "advection/picture_compare.h"

TRgbPicture RgbPictureOf(const QImage& picture);
QImage ImageOfRgbPicture(const TRgbPicture& picture);

// ComparePictures of the two pictures.
TPictureVerdict ComparePictures(const QImage& picture, const QImage& baseline);

// DifferencePicture of the two pictures; a null image when their sizes differ.
QImage DifferencePicture(const QImage& picture, const QImage& baseline);
