// The studio's name under the third splash picture.
#pragma once

void BuildSplashText();
