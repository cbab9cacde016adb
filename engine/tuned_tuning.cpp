#include "engine/tuned_tuning.h"

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>

#include "compile/activation.h"
#include "compile/exact_math.h"

namespace {

constexpr std::size_t kMax = kMaxTunedConstants + 2;
using Matrix = Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, 0, kMax, kMax>;
using Vector = Eigen::Matrix<double, Eigen::Dynamic, 1, 0, kMax, 1>;

std::size_t LeftOf(const TunedNode* nodes, std::size_t i) { return i - 1 - nodes[i - 1].length; }

// Four partial sums, so that the additions need not wait for each other.
double Dot(const double* a, const double* b, std::size_t n) {
    double sums[4] = {0, 0, 0, 0};
    std::size_t r = 0;
    for (; r + 4 <= n; r += 4)
        for (int k = 0; k < 4; ++k) sums[k] += a[r + k] * b[r + k];
    for (; r < n; ++r) sums[0] += a[r] * b[r];
    return (sums[0] + sums[1]) + (sums[2] + sums[3]);
}

double Sum(const double* a, std::size_t n) {
    double sums[4] = {0, 0, 0, 0};
    std::size_t r = 0;
    for (; r + 4 <= n; r += 4)
        for (int k = 0; k < 4; ++k) sums[k] += a[r + k];
    for (; r < n; ++r) sums[0] += a[r];
    return (sums[0] + sums[1]) + (sums[2] + sums[3]);
}

HelperIndex HelperOf(TunedOp op) {
    return static_cast<HelperIndex>(static_cast<int>(op) - static_cast<int>(TunedOp::Exp));
}

// The function's slope at x, given its value y there; sin and cos take the other's block values.
void Slopes(TunedOp op, const double* x, const double* y, const float* other, double* slope, std::size_t n) {
    switch (op) {
        case TunedOp::Exp: for (std::size_t r = 0; r < n; ++r) slope[r] = y[r]; break;
        case TunedOp::Log: for (std::size_t r = 0; r < n; ++r) slope[r] = 1 / x[r]; break;
        case TunedOp::Sin: for (std::size_t r = 0; r < n; ++r) slope[r] = other[r]; break;
        case TunedOp::Cos: for (std::size_t r = 0; r < n; ++r) slope[r] = -other[r]; break;
        case TunedOp::Tan: for (std::size_t r = 0; r < n; ++r) slope[r] = 1 + y[r] * y[r]; break;
        case TunedOp::Sigmoid:
            for (std::size_t r = 0; r < n; ++r) slope[r] = std::fabs(x[r]) < 5 ? y[r] * (1 - y[r]) : 0;
            break;
        default:
            for (std::size_t r = 0; r < n; ++r) slope[r] = std::fabs(x[r]) < 3 ? 1 - y[r] * y[r] : 0;
            break;
    }
}

}  // namespace

void ConstantTuner::Prepare(const TunedNode* nodes, std::size_t count, const TunedRows& rows) {
    rows_ = rows.size();
    value_.resize(count * rows_);
    slope_.resize(count * rows_);
    adjoint_.resize(count * rows_);
    residual_.resize(rows_);
    argument_.resize(2 * rows_);
    constant_.resize(count);
    dynamic_.assign(count, 0);
    constantNodes_.clear();
    for (std::size_t i = 0; i < count; ++i) {
        constant_[i] = nodes[i].value;
        const int arity = ArityOf(nodes[i].op);
        if (nodes[i].op == TunedOp::Constant) constantNodes_.push_back(i), dynamic_[i] = 1;
        if (arity >= 1) dynamic_[i] = dynamic_[i - 1];
        if (arity == 2) dynamic_[i] = dynamic_[i] || dynamic_[LeftOf(nodes, i)];
    }
}

void ConstantTuner::Forward(const TunedNode* nodes, std::size_t count, const TunedRows& rows,
                            const std::uint8_t* which) {
    const std::size_t n = rows_;
    for (std::size_t i = 0; i < count; ++i) {
        if (which && !which[i]) continue;
        double* v = &value_[i * n];
        const TunedNode& node = nodes[i];
        const int arity = ArityOf(node.op);
        if (node.op == TunedOp::Input) {
            const float* column = rows.columns[node.input].data();
            for (std::size_t r = 0; r < n; ++r) v[r] = column[r];
        } else if (node.op == TunedOp::Constant) {
            std::fill(v, v + n, constant_[i]);
        } else if (arity == 1) {
            // As the program computes it: the argument rounded to float, the float helper.
            const double* x = &value_[(i - 1) * n];
            float* argument = argument_.data();
            float* other = argument + n;
            for (std::size_t r = 0; r < n; ++r) argument[r] = static_cast<float>(x[r]);
            if (node.op == TunedOp::Sin || node.op == TunedOp::Cos)
                kHelpers[node.op == TunedOp::Sin ? kCos : kSin].block(argument, other, n);
            kHelpers[HelperOf(node.op)].block(argument, argument, n);
            for (std::size_t r = 0; r < n; ++r) v[r] = argument[r];
            Slopes(node.op, x, v, other, &slope_[i * n], n);
        } else {
            const double* a = &value_[LeftOf(nodes, i) * n];
            const double* b = &value_[(i - 1) * n];
            switch (node.op) {
                case TunedOp::Add: for (std::size_t r = 0; r < n; ++r) v[r] = a[r] + b[r]; break;
                case TunedOp::Sub: for (std::size_t r = 0; r < n; ++r) v[r] = a[r] - b[r]; break;
                case TunedOp::Mul: for (std::size_t r = 0; r < n; ++r) v[r] = a[r] * b[r]; break;
                default: for (std::size_t r = 0; r < n; ++r) v[r] = a[r] / b[r]; break;
            }
        }
    }
}

bool ConstantTuner::Evaluate(const TunedNode* nodes, std::size_t count, const TunedRows& rows, const double* p,
                             Pass& pass) {
    const std::size_t n = rows_, constants = constantNodes_.size(), size = constants + 2;
    for (std::size_t j = 0; j < constants; ++j) constant_[constantNodes_[j]] = p[j];
    const double scale = p[constants], offset = p[constants + 1];
    Forward(nodes, count, rows, dynamic_.data());
    const std::size_t root = count - 1;
    const double* f = &value_[root * n];
    for (std::size_t r = 0; r < n; ++r) residual_[r] = scale * f[r] + offset - rows.targets[r];
    pass.cost = Dot(residual_.data(), residual_.data(), n);
    if (!std::isfinite(pass.cost)) return false;
    // Each node's adjoint is written once, by its parent.
    std::fill(&adjoint_[root * n], &adjoint_[root * n] + n, 1.0);
    for (std::size_t i = count; i-- > 0;) {
        const TunedNode& node = nodes[i];
        const int arity = ArityOf(node.op);
        if (!dynamic_[i] || arity == 0) continue;
        const double* d = &adjoint_[i * n];
        if (arity == 1) {
            const double* slope = &slope_[i * n];
            double* dx = &adjoint_[(i - 1) * n];
            for (std::size_t r = 0; r < n; ++r) dx[r] = d[r] * slope[r];
            continue;
        }
        const std::size_t left = LeftOf(nodes, i), right = i - 1;
        const double* a = &value_[left * n];
        const double* b = &value_[right * n];
        double* da = &adjoint_[left * n];
        double* db = &adjoint_[right * n];
        const bool toLeft = dynamic_[left], toRight = dynamic_[right];
        switch (node.op) {
            case TunedOp::Add:
                if (toLeft) std::copy(d, d + n, da);
                if (toRight) std::copy(d, d + n, db);
                break;
            case TunedOp::Sub:
                if (toLeft) std::copy(d, d + n, da);
                if (toRight) for (std::size_t r = 0; r < n; ++r) db[r] = -d[r];
                break;
            case TunedOp::Mul:
                if (toLeft) for (std::size_t r = 0; r < n; ++r) da[r] = d[r] * b[r];
                if (toRight) for (std::size_t r = 0; r < n; ++r) db[r] = d[r] * a[r];
                break;
            default: {
                const double* quotient = &value_[i * n];
                if (toLeft) for (std::size_t r = 0; r < n; ++r) da[r] = d[r] / b[r];
                if (toRight) for (std::size_t r = 0; r < n; ++r) db[r] = -d[r] * quotient[r] / b[r];
                break;
            }
        }
    }
    // Columns of J: scale times each constant's adjoint, then f, then ones.
    const auto column = [&](std::size_t k) { return &adjoint_[constantNodes_[k] * n]; };
    for (std::size_t j = 0; j < constants; ++j) {
        for (std::size_t k = j; k < constants; ++k) pass.normal[j][k] = scale * scale * Dot(column(j), column(k), n);
        pass.normal[j][constants] = scale * Dot(column(j), f, n);
        pass.normal[j][constants + 1] = scale * Sum(column(j), n);
        pass.gradient[j] = scale * Dot(column(j), residual_.data(), n);
    }
    pass.normal[constants][constants] = Dot(f, f, n);
    pass.normal[constants][constants + 1] = Sum(f, n);
    pass.normal[constants + 1][constants + 1] = static_cast<double>(n);
    pass.gradient[constants] = Dot(f, residual_.data(), n);
    pass.gradient[constants + 1] = Sum(residual_.data(), n);
    for (std::size_t j = 0; j < size; ++j)
        if (!std::isfinite(pass.gradient[j])) return false;
    return true;
}

ConstantTuner::Result ConstantTuner::Tune(TunedNode* nodes, std::size_t count, const TunedRows& rows,
                                          int iterations) {
    const Result none{NAN, NAN};
    Prepare(nodes, count, rows);
    const std::size_t constants = constantNodes_.size(), size = constants + 2, n = rows_;
    if (constants == 0 || constants > kMaxTunedConstants || n == 0) return none;
    Forward(nodes, count, rows, nullptr);

    // Start from the scale and offset that fit the starting constants best.
    double p[kMax], q[kMax];
    for (std::size_t j = 0; j < constants; ++j) p[j] = constant_[constantNodes_[j]];
    const double* f = &value_[(count - 1) * n];
    const double meanF = Sum(f, n) / static_cast<double>(n);
    double meanT = 0, covariance = 0, variance = 0;
    for (std::size_t r = 0; r < n; ++r) meanT += rows.targets[r];
    meanT /= static_cast<double>(n);
    for (std::size_t r = 0; r < n; ++r) {
        covariance += (f[r] - meanF) * (rows.targets[r] - meanT);
        variance += (f[r] - meanF) * (f[r] - meanF);
    }
    p[constants] = variance > 0 ? covariance / variance : 0;
    p[constants + 1] = meanT - p[constants] * meanF;

    Pass* current = &passes_[0];
    Pass* trial = &passes_[1];
    if (!Evaluate(nodes, count, rows, p, *current)) return none;
    const double before = current->cost;
    double lambda = 1e-3;
    bool improved = false;
    Matrix A(size, size);
    Vector b(size);
    for (int iteration = 0; iteration < iterations; ++iteration) {
        for (std::size_t i = 0; i < size; ++i) {
            for (std::size_t j = i; j < size; ++j) A(i, j) = A(j, i) = current->normal[i][j];
            A(i, i) += lambda * std::max(current->normal[i][i], 1e-12);
            b(i) = -current->gradient[i];
        }
        const Vector step = A.ldlt().solve(b);
        for (std::size_t i = 0; i < size; ++i) q[i] = p[i] + step(static_cast<Eigen::Index>(i));
        if (step.allFinite() && Evaluate(nodes, count, rows, q, *trial) && trial->cost < current->cost) {
            std::copy(q, q + size, p);
            std::swap(current, trial);
            lambda = std::max(lambda * 0.3, 1e-12);
            improved = true;
        } else {
            lambda *= 10;
        }
    }
    if (!improved) return {before, before};
    for (std::size_t j = 0; j < constants; ++j) nodes[constantNodes_[j]].value = static_cast<float>(p[j]);
    return {before, current->cost};
}

void ConstantTuner::Values(const TunedNode* nodes, std::size_t count, const TunedRows& rows, double* out) {
    Prepare(nodes, count, rows);
    Forward(nodes, count, rows, nullptr);
    std::copy(&value_[(count - 1) * rows_], &value_[(count - 1) * rows_] + rows_, out);
}
