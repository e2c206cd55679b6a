// Resource identifiers of the form's pictures (JPEG, RCDATA).
#pragma once

#define IDR_WELCOME_PICTURE 101
#define IDR_FOLDER_PICTURE 102
#define IDR_PRODUCT_PICTURE 103
