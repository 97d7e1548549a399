// Which bitmap resource pictures a model variant ("9A", "9E", "A2", "NA").
// Portable.
#ifndef FILMCORE_DIGITIZER_PICTURE_H
#define FILMCORE_DIGITIZER_PICTURE_H

// The picture of a known variant; `otherwise` for none or any other.
int DigitizerPictureFor(const char* modelVariant, int otherwise);

#endif
