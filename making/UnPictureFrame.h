// A frame for a picture: the closed rectangular path that puts the profile's rebate round the
// picture plus an allowance, with the profile outward.
#pragma once

#include <string>
#include <vector>

class TExtrObj;

struct TFrameSettings {
    double Width = 0, Height = 0; // mm, of the picture
    double Allowance = 2;         // mm in all, half of it on each side
    double Rebate = 0;            // mm, the x across the profile of the wall the picture rests on
};

// The profile's vertex x values in millimetres of the solid, each once, smallest first.
std::vector<double> profileSteps(const TExtrObj& object);
// The rebate a framer would take: the innermost step of the profile, its second-smallest x (the
// smallest when there is only one).
double proposedRebate(const TExtrObj& object);
// "" when the settings give a frame for object's profile; else the message naming the field and
// its range.
std::string checkFrameSettings(const TExtrObj& object, const TFrameSettings& settings);
// Gives object the frame's path: closed, its corners mitred, running so that profile x grows
// outwards, its rebate opening the picture plus the allowance. The settings must have passed
// checkFrameSettings.
void makePictureFrame(TExtrObj& object, const TFrameSettings& settings);

// Which side of the path the profile lies on: +1 when on the right of the path's direction (as
// stored, y up), -1 on the left, 0 when the profile straddles the path or there is none.
int profileSide(const TExtrObj& object);
