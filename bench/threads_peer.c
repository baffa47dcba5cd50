/* The threads row's peer: the same JPEG decoded with libjpeg alone, on N threads for a number of
   seconds, each thread reading the file and decoding it into memory of its own as a load does.
   Prints the decodes a second: what the machine gives N threads with no library code between. */
#include <stdio.h>
#include <stdlib.h>
/* jpeglib.h needs FILE and size_t declared first. */
#include <jpeglib.h>
#include <pthread.h>
#include <time.h>

static const char* path;
static double until;
static long decodes;
static pthread_mutex_t count_lock = PTHREAD_MUTEX_INITIALIZER;

static double now(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (double)t.tv_sec + (double)t.tv_nsec * 1e-9;
}

static int decode_once(void) {
  FILE* file = fopen(path, "rb");
  if (!file) return 0;
  struct jpeg_decompress_struct info;
  struct jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&info);
  jpeg_stdio_src(&info, file);
  jpeg_read_header(&info, TRUE);
  jpeg_start_decompress(&info);
  const size_t pitch = (size_t)info.output_width * (size_t)info.output_components;
  unsigned char* pixels = malloc(pitch * info.output_height);
  while (pixels && info.output_scanline < info.output_height) {
    JSAMPROW row = pixels + pitch * info.output_scanline;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  fclose(file);
  free(pixels);
  return pixels != NULL;
}

static void* decode_until_time(void* unused) {
  (void)unused;
  long mine = 0;
  while (now() < until) mine += decode_once();
  pthread_mutex_lock(&count_lock);
  decodes += mine;
  pthread_mutex_unlock(&count_lock);
  return NULL;
}

int main(int argc, char** argv) {
  if (argc != 4) {
    fprintf(stderr, "usage: threads_peer FILE THREADS SECONDS\n");
    return 2;
  }
  path = argv[1];
  const int threads = atoi(argv[2]);
  if (threads < 1 || threads > 256) return 2;
  const double start = now();
  until = start + atof(argv[3]);
  pthread_t workers[256];
  for (int t = 0; t < threads; ++t) pthread_create(&workers[t], NULL, decode_until_time, NULL);
  for (int t = 0; t < threads; ++t) pthread_join(workers[t], NULL);
  printf("%.1f\n", (double)decodes / (now() - start));
  return 0;
}
