/* The peer of the ratio benchmarks: each job of bench/ratios.py done by libvips in one process, as an
 * application linking the library runs it (the vips command chains jobs through files on disk, which
 * costs it about twice the time). Run with VIPS_CONCURRENCY=1 for one thread.
 *
 *   vips_peer load IN                      decode the whole picture into memory
 *   vips_peer jpeg IN OUT Q                load, save as JPEG of quality Q
 *   vips_peer tiff IN OUT                  load, save as uncompressed TIFF
 *   vips_peer pipeline IN OUT MARGIN       crop MARGIN a side, 90 % bilinear, 3 x 3 sharpen, JPEG q75
 *   vips_peer half IN OUT                  50 % bicubic resize, uncompressed TIFF
 *   vips_peer blur IN OUT                  3 x 3 blur (the eight neighbours / 8), uncompressed TIFF
 *   vips_peer noisy SEED OUT SIZE          an input picture: SEED resized to SIZE x SIZE, Gaussian
 *                                          noise added, as 8-bit uncompressed TIFF (for pictures
 *                                          too large for ImageMagick's default pixel cache policy)
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <vips/vips.h>

static VipsImage* mask3x3(const double values[9], double scale) {
  VipsImage* mask = vips_image_new_matrix_from_array(3, 3, values, 9);
  vips_image_set_double(mask, "scale", scale);
  vips_image_set_double(mask, "offset", 0);
  return mask;
}

/* The engine's sharpen: 26 at the centre, -2 around it, divided by 10. */
static int sharpen(VipsImage* in, VipsImage** out) {
  static const double v[9] = {-2, -2, -2, -2, 26, -2, -2, -2, -2};
  VipsImage* mask = mask3x3(v, 10);
  int failed = vips_conv(in, out, mask, "precision", VIPS_PRECISION_INTEGER, NULL);
  g_object_unref(mask);
  return failed;
}

static int blur(VipsImage* in, VipsImage** out) {
  static const double v[9] = {1, 1, 1, 1, 0, 1, 1, 1, 1};
  VipsImage* mask = mask3x3(v, 8);
  int failed = vips_conv(in, out, mask, "precision", VIPS_PRECISION_INTEGER, NULL);
  g_object_unref(mask);
  return failed;
}

static int run(int argc, char** argv, VipsImage** keep) {
  const char* job = argv[1];
  VipsImage* in = vips_image_new_from_file(argv[2], "access", VIPS_ACCESS_SEQUENTIAL, NULL);
  if (!in) return 1;
  keep[0] = in;
  if (!strcmp(job, "load")) return vips_image_wio_input(in);
  if (argc < 4) return 1;
  const char* out = argv[3];
  if (!strcmp(job, "jpeg") && argc > 4) return vips_jpegsave(in, out, "Q", atoi(argv[4]), NULL);
  if (!strcmp(job, "tiff")) return vips_tiffsave(in, out, "compression", VIPS_FOREIGN_TIFF_COMPRESSION_NONE, NULL);
  if (!strcmp(job, "half")) {
    if (vips_resize(in, &keep[1], 0.5, "kernel", VIPS_KERNEL_CUBIC, NULL)) return 1;
    return vips_tiffsave(keep[1], out, "compression", VIPS_FOREIGN_TIFF_COMPRESSION_NONE, NULL);
  }
  if (!strcmp(job, "blur")) {
    if (blur(in, &keep[1])) return 1;
    return vips_tiffsave(keep[1], out, "compression", VIPS_FOREIGN_TIFF_COMPRESSION_NONE, NULL);
  }
  if (!strcmp(job, "noisy") && argc > 4) {
    const double scale = atof(argv[4]) / in->Xsize;
    if (vips_resize(in, &keep[1], scale, "kernel", VIPS_KERNEL_CUBIC, NULL)) return 1;
    if (vips_gaussnoise(&keep[2], keep[1]->Xsize, keep[1]->Ysize, "sigma", 12.0, "mean", 0.0, NULL)) return 1;
    if (vips_add(keep[1], keep[2], &keep[3], NULL)) return 1;
    VipsImage* bytes = NULL;
    if (vips_cast_uchar(keep[3], &bytes, NULL)) return 1;
    const int failed = vips_tiffsave(bytes, out, "compression", VIPS_FOREIGN_TIFF_COMPRESSION_NONE, NULL);
    g_object_unref(bytes);
    return failed;
  }
  if (!strcmp(job, "pipeline") && argc > 4) {
    const int margin = atoi(argv[4]);
    const int w = in->Xsize - 2 * margin, h = in->Ysize - 2 * margin;
    if (vips_crop(in, &keep[1], margin, margin, w, h, NULL)) return 1;
    if (vips_resize(keep[1], &keep[2], 0.9, "kernel", VIPS_KERNEL_LINEAR, NULL)) return 1;
    if (sharpen(keep[2], &keep[3])) return 1;
    return vips_jpegsave(keep[3], out, "Q", 75, NULL);
  }
  fprintf(stderr, "vips_peer: unknown job or missing arguments: %s\n", job);
  return 2;
}

int main(int argc, char** argv) {
  if (VIPS_INIT(argv[0])) vips_error_exit(NULL);
  if (argc < 3) {
    fprintf(stderr, "usage: vips_peer JOB IN [OUT [ARG]]\n");
    return 2;
  }
  VipsImage* keep[4] = {NULL, NULL, NULL, NULL};
  const int failed = run(argc, argv, keep);
  if (failed) fprintf(stderr, "vips_peer: %s\n", vips_error_buffer());
  for (int i = 3; i >= 0; --i)
    if (keep[i]) g_object_unref(keep[i]);
  vips_shutdown();
  return failed ? 1 : 0;
}
