/* A C program of another project that uses the installed engine, built with the flags
 * `pkg-config --cflags --libs tintworks` gives. It asks the engine three things whose answers
 * are fixed and ends with status 0 only when all three are right. */
#include <stdio.h>
#include <tintworks.h>

/* The typical colour of a 2 x 2 picture of one colour is that colour. */
static int measuresTheColourOfAPlainPicture(void) {
    uint8_t pixels[2 * 2 * 3] = {10, 20, 30, 10, 20, 30, 10, 20, 30, 10, 20, 30};
    TExtractColorParams params = {0};
    params.Size = sizeof params;
    params.Image.Width = 2;
    params.Image.Height = 2;
    params.Image.Stride = 2 * 3;
    params.Image.RowOrder = TWK_ROWS_TOP_DOWN;
    params.Image.BytesPerPixel = 3;
    params.Image.Pixels = pixels;
    const int32_t result = TWKExtractImageColor(&params);
    printf("colour of a plain picture: result %d, blue %d, green %d, red %d\n", (int)result,
           params.Color[0], params.Color[1], params.Color[2]);
    return result == TWK_OK && params.Color[0] == 10 && params.Color[1] == 20 &&
           params.Color[2] == 30;
}

static int hasNoStoredProcessingAtStart(void) {
    const int32_t available = TWKIsRepeatedOperationAvailable(TWK_OP_IMAGE_CORRECTION);
    printf("stored image correction at start: %d\n", (int)available);
    return available == 0;
}

static int refusesAMissingProcessingFile(void) {
    int32_t type = -1;
    const int32_t result = TWKLoadLastProcessing("/nonexistent/folder/missing.prs", &type);
    printf("loading a missing processing file: result %d\n", (int)result);
    return result == TWK_FILE_READ_ERROR;
}

int main(void) {
    const int right = measuresTheColourOfAPlainPicture() & hasNoStoredProcessingAtStart() &
                      refusesAMissingProcessingFile();
    puts(right ? "the engine answers as expected" : "the engine answers wrongly");
    return right ? 0 : 1;
}
