/* The maker and the product, as the window, every program's version block and
   the release's texts and installer packages name them. Plain macros of narrow
   text, since the resource compiler reads this file too. */
#ifndef GLYVANT_MAKER_H
#define GLYVANT_MAKER_H
#define MAKER_NAME "OrvoMed"
#define MAKER_WEBSITE_HOST "www.orvomed.example"
#define PRODUCT_NAME "OrvoMedSuite"
#endif
