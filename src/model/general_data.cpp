#include "model/general_data.h"

#include <algorithm>

#include "model/number_text.h"
#include "model/table.h"

namespace velkor {

namespace {

constexpr const char* kPositiveReal = "Enter positive real number";

// A typed particle count above the saved one brings new particles into use; they must not carry
// the coordinates of some earlier problem, so they start at the origin.
void settleGeneralEdit(Problem& problem) {
    if (problem.NP > problem.saved.NP) {
        const int32_t first = std::max<int32_t>(problem.saved.NP, 0);
        const int32_t end = std::min<int32_t>(problem.NP, static_cast<int32_t>(problem.particles.size()));
        for (int32_t p = first; p < end; ++p) {
            Particle& particle = problem.particles[idx(p)];
            particle.X = particle.Y = particle.Z = 0;
        }
        problem.saved.NP = problem.NP;
    }
    problem.saved.LX = problem.LX;
    problem.saved.LY = problem.LY;
}

} // namespace

GeneralCell validateGeneralCell(GeneralRow row, std::string_view text, Problem& problem) {
    GeneralCell cell;
    switch (row) {
    case GeneralRow::ProblemName:
        problem.problemName = cutTo(text, kNameLength);
        cell.text = problem.problemName;
        break;
    case GeneralRow::LX:
    case GeneralRow::LY: {
        double& size = row == GeneralRow::LX ? problem.LX : problem.LY;
        const double value = readReal(text);
        if (value > 0) {
            size = value;
            cell.text = format("%15.3f", size);
        } else {
            // The stored size stays; the cell offers 100 and the user must confirm or correct it.
            cell.message = kPositiveReal;
            cell.text = format("%15.3f", 100.0);
            cell.allowMove = false;
        }
        break;
    }
    case GeneralRow::NP: {
        int32_t value = readInteger(text);
        const int32_t largest =
            std::min<int32_t>(problem.limits.PMAX, static_cast<int32_t>(problem.particles.size()));
        if (value < 0) {
            cell.message = "Enter integer value >= 0";
            value = 0;
        } else if (value > largest) {
            cell.message = "Enter integer value <= PMAX";
            value = largest;
        }
        problem.NP = value;
        cell.text = format("%12d", problem.NP);
        break;
    }
    case GeneralRow::TM: {
        double value = readReal(text);
        if (!(value > 0)) {
            cell.message = kPositiveReal;
            value = 100;
        }
        problem.TM = value;
        cell.text = format("%15.3f", problem.TM);
        break;
    }
    default:
        cell.text = generalRowText(row, problem);
        break;
    }
    settleGeneralEdit(problem);
    return cell;
}

const char* generalRowLabel(GeneralRow row) {
    switch (row) {
    case GeneralRow::FileName:
        return "File Name";
    case GeneralRow::NA:
        return "NA";
    case GeneralRow::NB:
        return "NB";
    case GeneralRow::NW:
        return "NW";
    case GeneralRow::NN:
        return "NN";
    case GeneralRow::NM:
        return "NM";
    case GeneralRow::ProblemName:
        return "Problem Name";
    case GeneralRow::LX:
        return "LX (m)";
    case GeneralRow::LY:
        return "LY (m)";
    case GeneralRow::NP:
        return "NP";
    case GeneralRow::TM:
        return "TM (d)";
    }
    return "";
}

std::string generalRowText(GeneralRow row, const Problem& problem) {
    switch (row) {
    case GeneralRow::FileName:
        return problem.fileName;
    case GeneralRow::NA:
        return format("%12d", problem.NA);
    case GeneralRow::NB:
        return format("%12d", problem.NB);
    case GeneralRow::NW:
        return format("%12d", problem.NW);
    case GeneralRow::NN:
        return format("%12d", problem.NN);
    case GeneralRow::NM:
        return format("%12d", problem.NM);
    case GeneralRow::ProblemName:
        return problem.problemName;
    case GeneralRow::LX:
        return format("%15.3f", problem.LX);
    case GeneralRow::LY:
        return format("%15.3f", problem.LY);
    case GeneralRow::NP:
        return format("%12d", problem.NP);
    case GeneralRow::TM:
        return format("%15.3f", problem.TM);
    }
    return {};
}

} // namespace velkor
