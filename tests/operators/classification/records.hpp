// Classifier records for tests: built from plain tables through the
// module's own allocation functions, freed at the end of their scope, and
// read back as tables.
#pragma once

#include <vector>

#include "classifier_data.h"

namespace records {

using Rows = std::vector<std::vector<float>>;

// A data input of rows.size() attributes (rows[a][p]) over image_rows x
// image_cols of an image rectangle (0 x 0: not an image).
struct Input : data_input {
    explicit Input(const Rows& rows, int image_rows = 0, int image_cols = 0) : data_input{} {
        nb_attributs = static_cast<int>(rows.size());
        nb_pts = static_cast<int>(rows[0].size());
        equ_nb_rows = image_rows;
        equ_nb_cols = image_cols;
        alloc_classifier_data_input_completely(this);
        for (int a = 0; a < nb_attributs; ++a)
            for (int p = 0; p < nb_pts; ++p) data[a][p] = rows[a][p];
    }
    Input(const Input&) = delete;
    Input& operator=(const Input&) = delete;
    ~Input() { free_data_input(this); }
};

// A data output that frees what it holds: fuzzy memberships
// rows[class][point], or crisp labels; Output() is empty for a phase to fill.
struct Output : data_output {
    Output() : data_output{} {}
    explicit Output(const Rows& rows, int image_rows = 0, int image_cols = 0) : data_output{} {
        type = DATA_OUTPUT_FUZZY;
        nb_classes = static_cast<int>(rows.size());
        nb_pts = static_cast<int>(rows[0].size());
        equ_nb_rows = image_rows;
        equ_nb_cols = image_cols;
        alloc_classifier_data_output(this);
        for (int k = 0; k < nb_classes; ++k)
            for (int p = 0; p < nb_pts; ++p) data.fuzzy[k][p] = rows[k][p];
    }
    explicit Output(const std::vector<int>& labels, int image_rows = 0, int image_cols = 0) : data_output{} {
        type = DATA_OUTPUT_CRISP;
        nb_pts = static_cast<int>(labels.size());
        equ_nb_rows = image_rows;
        equ_nb_cols = image_cols;
        alloc_classifier_data_output(this);
        for (int p = 0; p < nb_pts; ++p) data.crisp[p] = labels[p];
    }
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;
    ~Output() {
        if ((type == DATA_OUTPUT_CRISP || type == DATA_OUTPUT_FUZZY) && data.crisp != nullptr) free_data_output(this);
    }
};

// The rows of a data input, or of the memberships of a fuzzy output.
inline Rows rows_of(float* const* data, int rows, int points) {
    Rows r;
    for (int k = 0; k < rows; ++k) r.emplace_back(data[k], data[k] + points);
    return r;
}
inline Rows rows_of(const data_input& in) { return rows_of(in.data, in.nb_attributs, in.nb_pts); }
inline Rows rows_of(const data_output& out) { return rows_of(out.data.fuzzy, out.nb_classes, out.nb_pts); }

inline std::vector<int> labels_of(const data_output& out) { return {out.data.crisp, out.data.crisp + out.nb_pts}; }

}  // namespace records
